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

    enum class Step { OpenForReading, SizeOf, Read, CreateBeside, Write, ShortWrite, Flush, Close, Rename, Exists, Remove, Lock };

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
    bool CreateBeside(const std::string& target, Handle& file, std::string& temporaryPath) override {
        return !Fails(Step::CreateBeside) && inner_.CreateBeside(target, file, temporaryPath);
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
    // A failing close still releases the descriptor, as close(2) does.
    bool Close(Handle file) override {
        bool closed = inner_.Close(file);
        return !Fails(Step::Close) && closed;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        return !Fails(Step::Rename) && inner_.Rename(from, to);
    }
    bool Exists(const std::string& path) override { return !Fails(Step::Exists) && inner_.Exists(path); }
    bool Remove(const std::string& path) override { return !Fails(Step::Remove) && inner_.Remove(path); }
    bool Lock(const std::string& path, Handle& lock) override { return !Fails(Step::Lock) && inner_.Lock(path, lock); }
    void Unlock(Handle lock) override { inner_.Unlock(lock); }
    std::string ResolveLinks(const std::string& path) override { return inner_.ResolveLinks(path); }

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
