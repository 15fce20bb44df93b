#pragma once
// The one shape of `korva --json`: a single object on one line, its
// "outcome" one of "done", "failed", "cancelled", its "reason" one code of
// base::Reason ("none" when done), with the same key for the same thing in
// every command ("error", "bytes", ...). Every result also names its
// "schema", its "command" and its "target", and carries every key of the
// command's shape (see JsonShape.h).
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <string>

namespace korva::cli {

enum class Outcome { Done, Failed, Cancelled };

const char* OutcomeName(Outcome outcome);

/// The outcome an exit code stands for.
Outcome OutcomeOfExit(int exitCode);

class JsonReport {
public:
    explicit JsonReport(Outcome outcome);
    /// The report of a run ending with `exitCode`: its outcome and reason.
    explicit JsonReport(int exitCode);
    JsonReport& Set(const char* key, const std::string& value);
    JsonReport& Set(const char* key, const char* value) { return Set(key, std::string(value)); }
    JsonReport& Set(const char* key, long long value);
    JsonReport& Set(const char* key, int value) { return Set(key, static_cast<long long>(value)); }
    JsonReport& Set(const char* key, long value) { return Set(key, static_cast<long long>(value)); }
    JsonReport& Set(const char* key, unsigned value) { return Set(key, static_cast<long long>(value)); }
    JsonReport& Set(const char* key, bool value);
    JsonReport& Set(const char* key, const QJsonValue& value);
    /// Under --json, writes the object on one line of stdout; else nothing.
    void Print();

private:
    QJsonObject m_Object;
    int m_ExitCode;
};

/// The command the results are of ("setup write"): its name and its keys.
void SetJsonCommand(const std::string& command);

/// The printer the results are about ({"port", "ip", "tcp_port", "mac"}), or
/// null for a command that addresses none.
void SetJsonTarget(const QJsonValue& target);
/// Adds what became known about the target (its "mac").
void SetJsonTargetKey(const char* key, const QJsonValue& value);

/// The keys a result written by a signal handler keeps (a command ended at
/// once by a signal), e.g. {"settings": null}: a cancelled result has the
/// keys of the command's other results.
void SetCancelKeys(const QJsonObject& keys);

/// Whether a report went out already (a failure then adds none of its own).
bool JsonReportPrinted();

/// Under --json and when no report went out: {"outcome":"failed" or
/// "cancelled","reason":<code>,"error":<the last error>}.
void PrintJsonFailure(int exitCode);

}  // namespace korva::cli
