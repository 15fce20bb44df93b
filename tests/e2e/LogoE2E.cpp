#include "LogoE2E.h"

#include <sys/wait.h>

#include <cstdlib>
#include <iterator>

namespace korva::test {

int RunKorva(const TestDir& dir, const std::string& args, std::string* err) {
    const auto errPath = dir / "korva-stderr.txt";
    const std::string command = "cd '" + dir.path().string() + "' && '" KORVA_BIN_DIR "/korva' " +
                                args + " >/dev/null 2>'" + errPath.string() + "' </dev/null";
    const int status = std::system(command.c_str());
    if (err) {
        std::ifstream in(errPath, std::ios::binary);
        *err = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace korva::test
