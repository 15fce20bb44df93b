#include "cli/JsonReport.h"

#include <QJsonDocument>
#include <cstdio>

#include "cli/ExitCode.h"
#include "cli/JsonShape.h"
#include "cli/Output.h"
#include "cli/RunReason.h"
#include "cli/Signals.h"

namespace korva::cli {

namespace {
bool g_Printed = false;
QJsonValue g_Command = QJsonValue::Null;
QJsonValue g_Target = QJsonValue::Null;
QJsonObject g_CommandKeys;
QJsonObject g_CancelKeys;

/// The keys every result of the command starts from.
QJsonObject Envelope() {
    QJsonObject object = g_CommandKeys;
    object["schema"] = kJsonSchema;
    object["command"] = g_Command;
    object["target"] = g_Target;
    return object;
}

/// What a result written by the signal handler carries beside its outcome.
void PublishStopKeys() {
    QJsonObject keys = Envelope();
    for (auto it = g_CancelKeys.begin(); it != g_CancelKeys.end(); ++it) keys[it.key()] = it.value();
    keys.remove("outcome");
    keys.remove("reason");
    keys.remove("error");
    QByteArray members = QJsonDocument(keys).toJson(QJsonDocument::Compact);
    members = members.mid(1, members.size() - 2);  // without the braces
    SetStopKeys(members.toStdString());
}
}  // namespace

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Done: return "done";
        case Outcome::Failed: return "failed";
        case Outcome::Cancelled: return "cancelled";
    }
    return "failed";
}

Outcome OutcomeOfExit(int exitCode) {
    if (exitCode == kExitOk || exitCode == kExitReadUnknowns) return Outcome::Done;
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
    const QJsonObject own = m_Object;
    m_Object = Envelope();
    for (auto it = own.begin(); it != own.end(); ++it) m_Object[it.key()] = it.value();
    if (m_Object["outcome"] == QString("done") && !m_Object.contains("error")) m_Object["error"] = QJsonValue::Null;
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
    g_CancelKeys = keys;
    PublishStopKeys();
}

void SetJsonCommand(const std::string& command) {
    g_Command = command.empty() ? QJsonValue::Null : QJsonValue(QString::fromStdString(command));
    g_CommandKeys = CommandJsonKeys(command);
    PublishStopKeys();
}

void SetJsonTarget(const QJsonValue& target) {
    g_Target = target;
    PublishStopKeys();
}

void SetJsonTargetKey(const char* key, const QJsonValue& value) {
    if (!g_Target.isObject()) return;
    QJsonObject target = g_Target.toObject();
    target[key] = value;
    SetJsonTarget(target);
}

bool JsonReportPrinted() { return g_Printed; }

void PrintJsonFailure(int exitCode) {
    if (!Mode().json || g_Printed || exitCode == kExitOk) return;
    const std::string error = LastError().empty() ? "exit code " + std::to_string(exitCode) : LastError();
    JsonReport(exitCode).Set("error", error).Print();
}

}  // namespace korva::cli
