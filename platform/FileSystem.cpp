#include "platform/FileSystem.h"

#include <new>

namespace quillora {

FileSystem::WholeRead FileSystem::ReadWhole(const std::string& path, std::int64_t largest, std::string& bytes) {
    Handle file = -1;
    if (!OpenForReading(path, file)) return WholeRead::NotOpened;
    std::int64_t size = 0;
    bool whole = SizeOf(file, size) && size >= 0;
    if (whole && size > largest) {
        Close(file);
        return WholeRead::TooLarge;
    }
    if (whole) {
        try {
            bytes.resize(static_cast<std::size_t>(size));
        } catch (const std::bad_alloc&) {
            whole = false;
        }
    }
    std::size_t arrived = 0;
    while (whole && arrived < bytes.size()) {
        std::int64_t got = Read(file, bytes.data() + arrived, bytes.size() - arrived);
        if (got <= 0) {
            whole = false;  // an error, or the file ended before its size
        } else {
            arrived += static_cast<std::size_t>(got);
        }
    }
    whole = Close(file) && whole;
    return whole ? WholeRead::Read : WholeRead::Failed;
}

FileSystem::WholeWrite FileSystem::WriteWhole(const std::string& path, std::string_view bytes, WriteMode mode) {
    bool identityRefused = false;
    if (mode == WriteMode::Fresh) return WriteBeside(path, bytes, false, Placing::Replace, identityRefused);

    std::string target;
    if (!ResolveLinks(path, target)) return WholeWrite::Refused;  // links that go round for ever
    Facts facts;
    if (!Inspect(target, facts)) return WholeWrite::Failed;
    if (facts.kind == Kind::Missing) {
        return WriteBeside(target, bytes, false, mode == WriteMode::CreateNew ? Placing::Add : Placing::Replace,
                           identityRefused);
    }
    if (mode == WriteMode::CreateNew) return WholeWrite::Taken;
    if (facts.kind != Kind::Regular || !facts.writable) return WholeWrite::Refused;
    if (!facts.otherNames && facts.folderWritable) {
        const WholeWrite beside = WriteBeside(target, bytes, true, Placing::Replace, identityRefused);
        if (!identityRefused) return beside;
    }
    return WriteInPlace(target, bytes);
}

bool FileSystem::WriteAll(Handle file, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        std::int64_t wrote = Write(file, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0) return false;  // an error, or nothing more fits on the disk
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// The new content whole in a new file beside target, then in target's place. identityRefused
// tells that the new file could not take target's owner, group and permissions; nothing was
// changed then.
FileSystem::WholeWrite FileSystem::WriteBeside(const std::string& target, std::string_view bytes, bool keepIdentity,
                                               Placing placing, bool& identityRefused) {
    Handle file = -1;
    if (!CreateBeside(target, file)) return WholeWrite::Failed;
    if (keepIdentity && !TakeIdentity(file, target)) {
        Discard(file);
        identityRefused = true;
        return WholeWrite::Failed;
    }
    if (!WriteAll(file, bytes) || !Flush(file)) {
        Discard(file);
        return WholeWrite::Failed;
    }
    switch (PutInPlace(file, target, placing)) {
        case Placed::Done:
            return WholeWrite::Written;
        case Placed::Taken:
            return WholeWrite::Taken;
        case Placed::Failed:
            break;
    }
    return WholeWrite::Failed;
}

// The new content written into target itself, its former content kept aside until the new one
// is whole on the disk, and put back at once when a step fails.
FileSystem::WholeWrite FileSystem::WriteInPlace(const std::string& target, std::string_view bytes) {
    Handle copy = -1;
    if (!KeepCopy(target, copy)) return WholeWrite::Failed;
    Handle file = -1;
    if (!OpenInPlace(target, file)) {
        ReleaseCopy(copy, true);
        return WholeWrite::Failed;
    }
    bool written = WriteAll(file, bytes) && Truncate(file, static_cast<std::int64_t>(bytes.size())) && Flush(file);
    written = Close(file) && written;
    // A target that could not be made whole again keeps its copy for the next recovery.
    const bool whole = written || PutBack(copy);
    ReleaseCopy(copy, whole);
    return written ? WholeWrite::Written : WholeWrite::Failed;
}

}  // namespace quillora
