// Shows what it was started with, for the test of the process runner: each argument on
// standard output as [argument], standard input, QUILLORA_ECHO and the working folder on
// standard error; the exit status is the number of arguments.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) std::cout << '[' << argv[i] << "]\n";
    const std::string input(std::istreambuf_iterator<char>(std::cin), {});
    const char* echo = std::getenv("QUILLORA_ECHO");
    std::cerr << "input=" << input.size() << ':' << input.substr(0, 40) << "\nenv=" << (echo ? echo : "<unset>")
              << "\nfolder=" << std::filesystem::current_path().filename().string() << '\n';
    return argc - 1;
}
