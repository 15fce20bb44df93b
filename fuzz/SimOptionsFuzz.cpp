// The simulator's command line: NUL-separated words must give options or a
// message saying what was wrong, never a crash. A success names a transport
// (or asks for help); a refusal always says why.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

#include "SimOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QStringList args{QString()};
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != 0) continue;
        args.back() = QString::fromUtf8(reinterpret_cast<const char*>(data + start),
                                        static_cast<qsizetype>(i - start));
        if (i < size) args.append(QString());
        start = i + 1;
    }
    korva::sim::SimOptions options;
    QString error;
    const bool ok = korva::sim::ParseOptions(args, &options, &error);
    if (ok && !options.help && !options.serial && !options.tcp && !options.udp) std::abort();
    if (!ok && error.isEmpty()) std::abort();
    return 0;
}
