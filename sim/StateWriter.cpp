#include "StateWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <cstdio>

#include "Hex.h"
#include "PaperRenderer.h"
#include "Printer.h"

namespace korva::sim {
namespace {

constexpr int kGatherMs = 20;         // at most one rewrite per this interval ...
constexpr int kWriteShareFactor = 4;  // ... and writing takes at most a fifth of the time

QString Str(const std::string& text) { return QString::fromStdString(text); }
QString HexStr(std::span<const uint8_t> bytes) { return Str(ToHex(bytes)); }

QJsonArray Received(const Printer& printer) {
    QJsonArray list;
    for (const ConnectionLog& log : printer.Connections()) {
        list.append(QJsonObject{{"connection", log.id},
                                {"transport", Str(log.transport)},
                                {"bytes", HexStr(log.received)},
                                {"byte_count", qint64(log.receivedCount)},
                                {"truncated", log.receivedCount > log.received.size()},
                                {"sent", HexStr(log.sent)},
                                {"unknown", HexStr(log.unknown)}});
    }
    return list;
}

QJsonArray NvImages(const Printer& printer) {
    QJsonArray list;
    for (const NvImage& image : printer.Nv().Images())
        list.append(QJsonObject{{"number", image.number},
                                {"width", image.widthDots},
                                {"height", image.heightDots},
                                {"gray", image.gray},
                                {"bytes", qint64(image.data.size())}});
    return list;
}

QJsonArray Firmware(const Printer& printer) {
    QJsonArray list;
    for (const FirmwareRecord& r : printer.Firmware()) {
        char fnv[12];
        std::snprintf(fnv, sizeof fnv, "%08x", r.dataFnv1a);
        list.append(QJsonObject{{"series", r.series},
                                {"area", Str(r.area)},
                                {"area_code", Str(r.areaCode)},
                                {"length", qint64(r.length)},
                                {"length_ok", r.lengthOk},
                                {"checksum_ok", r.checksumOk},
                                {"complete", r.complete},
                                {"naks", r.naks},
                                {"data_fnv1a", QString::fromLatin1(fnv)}});
    }
    return list;
}

QJsonObject Network(const Printer& printer) {
    const NetworkSettings& n = printer.Network().Settings();
    return QJsonObject{{"ip", Str(FormatIp(n.ip))},
                       {"mask", Str(FormatIp(n.mask))},
                       {"gateway", Str(FormatIp(n.gateway))},
                       {"port", n.port},
                       {"dhcp", n.dhcp},
                       {"mac", Str(FormatMac(n.mac))},
                       {"change_pending", printer.Network().HasPendingChange()}};
}

QJsonArray Lines(const Printer& printer) {
    QJsonArray lines;
    for (const PaperItem& item : printer.Paper()) {
        if (item.kind != PaperItem::Kind::Text) continue;
        QString text;
        for (const auto& span : item.spans)
            text += QString::fromLatin1(span.text.data(), qsizetype(span.text.size()));
        lines.append(text);
    }
    return lines;
}

}  // namespace

StateWriter::StateWriter(const Printer& printer, QString statePath, PaperRenderer* paper,
                         QObject* parent)
    : QObject(parent), m_Printer(printer), m_StatePath(std::move(statePath)), m_Paper(paper) {
    m_Timer.setSingleShot(true);
    connect(&m_Timer, &QTimer::timeout, this, &StateWriter::Flush);
    m_SinceWrite.start();
}

void StateWriter::Schedule() {
    if (m_Timer.isActive()) return;
    qint64 wait =
        std::max<qint64>(kGatherMs, kWriteShareFactor * m_LastWriteMs) - m_SinceWrite.elapsed();
    m_Timer.start(static_cast<int>(std::max<qint64>(0, wait)));
}

QJsonObject StateWriter::BuildState(const Printer& printer) {
    QJsonObject settings;
    for (const auto& [number, value] : printer.Settings().All())
        settings.insert(QString::number(number), Str(value));
    QJsonArray printed;
    for (const PrintedLogo& p : printer.Printed())
        printed.append(QJsonObject{{"logo", p.logo}, {"size", p.size}, {"defined", p.defined}});
    int cuts = 0;
    for (const PaperItem& item : printer.Paper()) cuts += item.kind == PaperItem::Kind::Cut;
    QJsonArray events;
    for (const std::string& e : printer.Events()) events.append(Str(e));
    const Printer::LineSettings& line = printer.Line();
    return QJsonObject{{"series", printer.Series()},
                       {"received", Received(printer)},
                       {"nv_images", NvImages(printer)},
                       {"nv_capacity", qint64(printer.Nv().Capacity())},
                       {"nv_used", qint64(printer.Nv().Used())},
                       {"settings", settings},
                       {"setup_mode", printer.SetupMode()},
                       {"firmware", Firmware(printer)},
                       {"printed", printed},
                       {"lines", Lines(printer)},
                       {"cuts", cuts},
                       {"initializations", printer.Initializations()},
                       {"network", Network(printer)},
                       {"line", QJsonObject{{"baud", qint64(line.baud)},
                                            {"data_bits", line.dataBits},
                                            {"parity", line.parity},
                                            {"stop_bits", line.stopBits},
                                            {"flow", Str(line.flow)}}},
                       {"powered_off", printer.PoweredOff()},
                       {"events", events}};
}

void StateWriter::Flush() {
    m_Timer.stop();
    QElapsedTimer clock;
    clock.start();
    // The roll first, so whoever sees a print in the state finds it on the roll.
    if (m_Paper && (!m_PaperRendered || m_Printer.Paper().size() != m_PaperItems)) {
        m_PaperRendered = true;
        m_PaperItems = m_Printer.Paper().size();
        m_Paper->Render(m_Printer.Paper());
    }
    if (!m_StatePath.isEmpty()) {
        QSaveFile file(m_StatePath);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QJsonDocument(BuildState(m_Printer)).toJson(QJsonDocument::Indented));
            file.commit();
        }
    }
    m_LastWriteMs = clock.elapsed();
    m_SinceWrite.restart();
}

}  // namespace korva::sim
