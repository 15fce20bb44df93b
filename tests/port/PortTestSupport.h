#pragma once
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include "base/ErrorLog.h"
#include "support/TestDir.h"

namespace korva::test {

/// An error log in a temporary file with a fixed clock, read back whole.
class LogCapture {
public:
    LogCapture() {
        m_Log.SetTimeSource([] {
            std::tm t{};
            t.tm_year = 2011 - 1900;
            t.tm_mon = 4;
            t.tm_mday = 3;
            t.tm_hour = 14;
            t.tm_min = 22;
            t.tm_sec = 5;
            return t;
        });
        m_Log.OpenLog((m_Dir / "error.log").string());
    }
    base::CErrorLog& Log() { return m_Log; }
    std::string Text() const {
        std::ifstream in(m_Dir / "error.log", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    /// The line Log() writes for `text`.
    static std::string Line(const std::string& text) {
        return "[2011/05/03 14:22:05] " + text + "\r\n";
    }

private:
    TestDir m_Dir;
    base::CErrorLog m_Log;
};

}  // namespace korva::test
