// A program that tests start:
//   win32_test_child record FILE TEXT   writes TEXT into FILE (a new file renamed into place)
//   win32_test_child write PATH FROM    rewrites PATH whole with versions FROM+1, FROM+2, ...,
//                                       reporting each step on its standard output, until killed
//   win32_test_child end-while-writing beside|in-place STATE PATH
//                                       writes "new" into a new file beside PATH, or into PATH
//                                       itself after keeping a copy in the state folder STATE,
//                                       and ends the process there
#include <windows.h>

#include <cstdlib>
#include <string>

#include "adapters/win32/Win32FileSystem.h"
#include "storage/FileIo.h"
#include "win32/PageVersion.h"

namespace {

void Send(const std::string& record) {
    DWORD wrote = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), record.data(), static_cast<DWORD>(record.size()), &wrote, nullptr);
}

class SilentBoxes : public quillora::MessageBoxes {
public:
    quillora::MessageAnswer Show(const quillora::MessageRequest&) override { return quillora::MessageAnswer::Ok; }
};

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "record" && argc == 4) {
        const std::string file = argv[2];
        const std::string partial = file + ".partial";
        HANDLE out = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD wrote = 0;
        WriteFile(out, argv[3], static_cast<DWORD>(std::string(argv[3]).size()), &wrote, nullptr);
        CloseHandle(out);
        return MoveFileExA(partial.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
    }
    if (mode == "write" && argc == 4) {
        quillora::Win32FileSystem files;
        SilentBoxes boxes;
        quillora::TextBuffer caption("Quillora");
        quillora::Messages messages(boxes, caption);
        quillora::FileIo io(files, messages);
        const quillora::TextBuffer path(argv[2]);
        const std::int64_t from = std::atoll(argv[3]);
        Send(quillora::testing::Report('R', from));
        for (std::int64_t n = from + 1;; ++n) {
            Send(quillora::testing::Report('S', n));
            if (!io.WriteWholeFile(path, quillora::testing::PageVersion(n))) {
                Send(quillora::testing::Report('F', n));
                return 3;
            }
            Send(quillora::testing::Report('D', n));
        }
    }
    if (mode == "end-while-writing" && argc == 5) {
        quillora::Win32FileSystem files({argv[3]});
        const std::string path = argv[4];
        quillora::FileSystem::Handle file = -1;
        quillora::FileSystem::Handle copy = -1;
        bool ok = std::string(argv[2]) == "in-place" ? files.KeepCopy(path, copy) && files.OpenInPlace(path, file)
                                                     : files.CreateBeside(path, file);
        ok = ok && files.Write(file, "new", 3) == 3;
        ExitProcess(ok ? 0 : 1);  // no destructor runs
    }
    return 2;
}
