#pragma once

#include <map>
#include <memory>

#include "fakes/NativeFileSystem.h"
#include "platform/FileSystem.h"

namespace quillora::testing {

// A file system, the real one unless another is given, except that a chosen step fails on
// its nth call from now.
class FaultyFileSystem : public FileSystem {
public:
    FaultyFileSystem() : owned_(std::make_unique<NativeFileSystem>()), inner_(*owned_) {}
    explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

    enum class Step {
        OpenForReading, SizeOf, Read, Close,
        ResolveLinks, Inspect,
        CreateBeside, TakeIdentity, Write, ShortWrite, Flush, PutInPlace,
        KeepCopy, OpenInPlace, Truncate, PutBack,
        Exists, Remove, Lock, LockFolder,
    };

    void FailAt(Step step, int nthCall = 1) { failAt_[step] = calls_[step] + nthCall; }
    int Calls(Step step) const {
        auto found = calls_.find(step);
        return found == calls_.end() ? 0 : found->second;
    }

    bool OpenForReading(const std::string& path, Handle& file) override {
        return !Fails(Step::OpenForReading) && inner_.OpenForReading(path, file);
    }
    bool SizeOf(Handle file, std::int64_t& size) override {
        return !Fails(Step::SizeOf) && inner_.SizeOf(file, size);
    }
    std::int64_t Read(Handle file, char* into, std::size_t count) override {
        if (Fails(Step::Read)) return -1;
        return inner_.Read(file, into, count);
    }
    // A failing close still releases the handle, as close(2) does.
    bool Close(Handle file) override {
        bool closed = inner_.Close(file);
        return !Fails(Step::Close) && closed;
    }

    bool ResolveLinks(const std::string& path, std::string& resolved) override {
        return !Fails(Step::ResolveLinks) && inner_.ResolveLinks(path, resolved);
    }
    bool Inspect(const std::string& path, Facts& facts) override {
        return !Fails(Step::Inspect) && inner_.Inspect(path, facts);
    }

    bool CreateBeside(const std::string& target, Handle& file) override {
        return !Fails(Step::CreateBeside) && inner_.CreateBeside(target, file);
    }
    bool TakeIdentity(Handle file, const std::string& target) override {
        return !Fails(Step::TakeIdentity) && inner_.TakeIdentity(file, target);
    }
    // A short write puts half of the bytes on the disk; the next write then finds the disk full.
    std::int64_t Write(Handle file, const char* bytes, std::size_t count) override {
        if (diskFull_) return -1;
        if (Fails(Step::Write)) return -1;
        if (Fails(Step::ShortWrite)) {
            diskFull_ = true;
            return inner_.Write(file, bytes, count / 2);
        }
        return inner_.Write(file, bytes, count);
    }
    bool Flush(Handle file) override { return !Fails(Step::Flush) && inner_.Flush(file); }
    // A failing placement ends the new file as the real one does.
    Placed PutInPlace(Handle file, const std::string& target, Placing placing) override {
        if (Fails(Step::PutInPlace)) {
            inner_.Discard(file);
            return Placed::Failed;
        }
        return inner_.PutInPlace(file, target, placing);
    }
    void Discard(Handle file) override { inner_.Discard(file); }

    bool KeepCopy(const std::string& target, Handle& copy) override {
        return !Fails(Step::KeepCopy) && inner_.KeepCopy(target, copy);
    }
    bool OpenInPlace(const std::string& target, Handle& file) override {
        return !Fails(Step::OpenInPlace) && inner_.OpenInPlace(target, file);
    }
    bool Truncate(Handle file, std::int64_t size) override { return !Fails(Step::Truncate) && inner_.Truncate(file, size); }
    bool PutBack(Handle copy) override { return !Fails(Step::PutBack) && inner_.PutBack(copy); }
    void ReleaseCopy(Handle copy, bool remove) override { inner_.ReleaseCopy(copy, remove); }
    void RecoverKeptCopies() override { inner_.RecoverKeptCopies(); }

    bool Exists(const std::string& path) override { return !Fails(Step::Exists) && inner_.Exists(path); }
    bool Remove(const std::string& path) override { return !Fails(Step::Remove) && inner_.Remove(path); }
    bool Lock(const std::string& path, Handle& lock) override { return !Fails(Step::Lock) && inner_.Lock(path, lock); }
    bool LockFolder(const std::string& folder, Handle& lock) override {
        return !Fails(Step::LockFolder) && inner_.LockFolder(folder, lock);
    }
    void Unlock(Handle lock) override { inner_.Unlock(lock); }

    // Every disk is full from now on, or no longer.
    void SetDiskFull(bool full) { diskFull_ = full; }

private:
    bool Fails(Step step) {
        int call = ++calls_[step];
        auto found = failAt_.find(step);
        return found != failAt_.end() && found->second == call;
    }

    std::unique_ptr<FileSystem> owned_;
    FileSystem& inner_;
    std::map<Step, int> calls_;
    std::map<Step, int> failAt_;
    bool diskFull_ = false;
};

}  // namespace quillora::testing
