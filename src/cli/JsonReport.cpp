#include "cli/JsonReport.h"

#include <QJsonDocument>
#include <cstdio>

#include "cli/ExitCode.h"
#include "cli/Output.h"

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
    if (exitCode == kExitInterrupt || exitCode == kExitTerminate) return Outcome::Cancelled;
    return Outcome::Failed;
}

JsonReport::JsonReport(Outcome outcome) { m_Object["outcome"] = OutcomeName(outcome); }

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
    std::fputs(QJsonDocument(m_Object).toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputc('\n', stdout);
    g_Printed = true;
}

bool JsonReportPrinted() { return g_Printed; }

void PrintJsonFailure(int exitCode) {
    if (!Mode().json || g_Printed || exitCode == kExitOk) return;
    const std::string error = LastError().empty() ? "exit code " + std::to_string(exitCode) : LastError();
    JsonReport(OutcomeOfExit(exitCode)).Set("error", error).Print();
}

}  // namespace korva::cli
