#pragma once
// Shared pieces of the logo end-to-end tests: korva-sim as the printer,
// bitmap files on disk, the real port objects and engines.
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "logo/BmpWriter.h"
#include "port/Ports.h"
#include "support/SimHarness.h"
#include "support/TestDir.h"

namespace korva::test {

inline void EnsureQtApp() {
    static int argc = 1;
    static char name[] = "test_e2e";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

/// Black where (3x + 5y) % 7 < 3: a pattern where a swapped axis, a flipped
/// row order or a shifted band shows. Pure black and white convert exactly.
inline bool PatternDot(int x, int y) { return (3 * x + 5 * y) % 7 < 3; }

/// Writes a w x h 24-bit file of the pattern; returns its path.
inline std::string WritePatternBmp(const TestDir& dir, const std::string& name, int w, int h) {
    const auto bytes = logo::test::Rgb24Bmp(w, h, [](int x, int y) {
        return PatternDot(x, y) ? logo::test::Rgb{0, 0, 0} : logo::test::Rgb{255, 255, 255};
    });
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return path;
}

/// The printer's column raster of the pattern: columns left to right, each
/// top to bottom in bands of 8 rows, bit 7 the top row; padding is blank.
inline QByteArray PatternRaster(int w, int h) {
    QByteArray out;
    for (int x = 0; x < (w + 7) / 8 * 8; ++x)
        for (int band = 0; band < (h + 7) / 8; ++band) {
            uint8_t byte = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int y = band * 8 + bit;
                if (x < w && y < h && PatternDot(x, y)) byte |= static_cast<uint8_t>(0x80 >> bit);
            }
            out.append(static_cast<char>(byte));
        }
    return out;
}

/// A port object on the simulator's pty at 115200 8N1 without flow control.
inline std::unique_ptr<port::CPorts> SimSerialPort(const SimHarness& sim, base::CErrorLog& log) {
    auto ports = std::make_unique<port::CPorts>(log);
    ports->m_PortName = sim.SerialPath().toStdString();
    ports->m_BaudRate = 115200;
    ports->m_DataBits = 8;
    ports->m_Parity = port::kParityNone;
    ports->m_StopBits = port::kStopBits1;
    ports->m_FlowControl = port::kFlowNone;
    ports->m_CurrentTool = port::kToolLogo;
    return ports;
}

/// Runs `korva <args>` in `dir`; returns the exit code, stderr in `err`.
int RunKorva(const TestDir& dir, const std::string& args, std::string* err = nullptr);

}  // namespace korva::test
