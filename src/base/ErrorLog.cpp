#include "base/ErrorLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "base/RegularFile.h"

namespace korva::base {

namespace {
std::tm LocalNow() {
    std::time_t t = std::time(nullptr);
    std::tm out{};
    localtime_r(&t, &out);
    return out;
}
}  // namespace

CErrorLog& ErrorLog() {
    static CErrorLog log;
    return log;
}

CErrorLog::CErrorLog() : m_Now(LocalNow) {}

CErrorLog::~CErrorLog() { Close(); }

int CErrorLog::OpenLog(const std::string& fileName) {
    Close();
    // Never written through a link nor into a FIFO: such a file keeps the log off.
    const RegularFileResult file = OpenRegularFile(fileName, O_WRONLY | O_CREAT);
    m_Problem = file.problem;
    if (!file.ok()) {
        if (m_Problem.empty()) m_Problem = std::string("cannot be written (") + std::strerror(file.error) + ")";
        return 0;
    }
    // Emptying a file that has other names would empty them too.
    struct stat opened {};
    if (::fstat(file.fd, &opened) == 0 && opened.st_nlink > 1) {
        ::close(file.fd);
        m_Problem = "has other names (hard links)";
        return 0;
    }
    if (::ftruncate(file.fd, 0) != 0 || (m_File = ::fdopen(file.fd, "wb")) == nullptr) {
        m_Problem = std::string("cannot be written (") + std::strerror(errno) + ")";
        ::close(file.fd);
        return 0;
    }
    std::setvbuf(m_File, nullptr, _IONBF, 0);
    return 1;
}

void CErrorLog::Close() {
    if (m_File != nullptr) {
        std::fclose(m_File);
        m_File = nullptr;
    }
}

void CErrorLog::Log(const char* format, ...) {
    if (m_File == nullptr && !m_Echo) return;
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (m_Echo) m_Echo(text);
    if (m_File == nullptr) return;
    const std::tm now = m_Now();
    std::fprintf(m_File, "[%04d/%02d/%02d %02d:%02d:%02d] ", now.tm_year + 1900, now.tm_mon + 1,
                 now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
    std::fputs(text, m_File);
    std::fputs("\r\n", m_File);
}

}  // namespace korva::base
