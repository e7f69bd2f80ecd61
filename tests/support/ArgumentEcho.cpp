// Shows what it was started with, for the test of the process runner: each argument on
// standard output as [argument], standard input, QUILLORA_ECHO and the working folder on
// standard error; the exit status is the number of arguments.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // Bytes as they are, no CR LF for a line feed.
    for (int fd : {0, 1, 2}) _setmode(fd, _O_BINARY);
#endif
    for (int i = 1; i < argc; ++i) std::cout << '[' << argv[i] << "]\n";
    const std::string input(std::istreambuf_iterator<char>(std::cin), {});
    const char* echo = std::getenv("QUILLORA_ECHO");
    std::cerr << "input=" << input.size() << ':' << input.substr(0, 40) << "\nenv=" << (echo ? echo : "<unset>")
              << "\nfolder=" << std::filesystem::current_path().filename().string() << '\n';
    return argc - 1;
}
