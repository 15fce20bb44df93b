#include "cli/JsonReport.h"

#include <QJsonDocument>
#include <cstdio>

#include "cli/ExitCode.h"
#include "cli/Output.h"
#include "cli/RunReason.h"
#include "cli/Signals.h"

namespace korva::cli {

namespace {
bool g_Printed = false;
}

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Done: return "done";
        case Outcome::Failed: return "failed";
        case Outcome::Cancelled: return "cancelled";
    }
    return "failed";
}

Outcome OutcomeOfExit(int exitCode) {
    if (exitCode == kExitOk) return Outcome::Done;
    if (exitCode == kExitInterrupt || exitCode == kExitTerminate || exitCode == kExitHangUp)
        return Outcome::Cancelled;
    return Outcome::Failed;
}

JsonReport::JsonReport(Outcome outcome)
    : m_ExitCode(outcome == Outcome::Done        ? kExitOk
                 : outcome == Outcome::Cancelled ? kExitInterrupt
                                                 : kExitPrinter) {
    m_Object["outcome"] = OutcomeName(outcome);
}

JsonReport::JsonReport(int exitCode) : m_ExitCode(exitCode) {
    m_Object["outcome"] = OutcomeName(OutcomeOfExit(exitCode));
}

JsonReport& JsonReport::Set(const char* key, const std::string& value) {
    m_Object[key] = QString::fromStdString(value);
    return *this;
}

JsonReport& JsonReport::Set(const char* key, long long value) {
    m_Object[key] = static_cast<qint64>(value);
    return *this;
}

JsonReport& JsonReport::Set(const char* key, bool value) {
    m_Object[key] = value;
    return *this;
}

JsonReport& JsonReport::Set(const char* key, const QJsonValue& value) {
    m_Object[key] = value;
    return *this;
}

void JsonReport::Print() {
    if (!Mode().json || g_Printed) return;
    // A failure says why, even when the command gave no text of its own.
    if (m_Object["outcome"] != QString("done") && !m_Object.contains("error"))
        m_Object["error"] = QString::fromStdString(LastError());
    if (!m_Object.contains("reason")) {
        // Done is "none", or "not-confirmed" where nothing could confirm it.
        base::Reason reason = ReasonOfRun(m_ExitCode);
        if (m_ExitCode == kExitOk && m_Object.value("confirmed") == QJsonValue(false))
            reason = base::Reason::NotConfirmed;
        m_Object["reason"] = QString::fromUtf8(base::ReasonName(reason).data(),
                                               static_cast<qsizetype>(base::ReasonName(reason).size()));
    }
    std::fputs(QJsonDocument(m_Object).toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputc('\n', stdout);
    g_Printed = true;
}

void SetCancelKeys(const QJsonObject& keys) {
    QByteArray members = QJsonDocument(keys).toJson(QJsonDocument::Compact);
    members = members.mid(1, members.size() - 2);  // without the braces
    SetStopKeys(members.toStdString());
}

bool JsonReportPrinted() { return g_Printed; }

void PrintJsonFailure(int exitCode) {
    if (!Mode().json || g_Printed || exitCode == kExitOk) return;
    const std::string error = LastError().empty() ? "exit code " + std::to_string(exitCode) : LastError();
    JsonReport(exitCode).Set("error", error).Print();
}

}  // namespace korva::cli
