#pragma once
// Printing logos stored in the printer's NV memory, one FS p command per
// logo every 300 ms: all 255, or the ranges of a typed selection.
//
// Messages: the engine shows failures itself through korva::base::ShowMessage
// (exclamation icon), and reports a typed Outcome. Progress: after each
// Step() the front end reads Count(), Total() and StatusText().
#include <atomic>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/ErrorLog.h"
#include "logo/PrintPlan.h"
#include "base/StepEngine.h"
#include "port/ByteStream.h"
#include "port/ReceiptCheck.h"

namespace korva::logo {

struct LogoPrintSettings {
    bool all = true;            ///< "All" (1..255) or the selection below
    std::string selection;      ///< selection text, parsed before anything is sent
    PrintSize size = PrintSize::Normal;
    bool header = false;        ///< "--- Logo %d ---\n" before each command
    bool starEmulation = false; ///< ESC in front of FS p
    int replyWaitMs = 500;      ///< how long the printer may take to answer GS I 1
};

class LogoPrint {
public:
    enum class State {
        Idle,            ///< Step not yet called
        Planning,        ///< checks the selection text
        Connecting,      ///< opens the port or link
        CheckingPrinter, ///< writes GS I 1 (not over Ethernet)
        AwaitingReply,   ///< up to 500 ms for one reply byte
        Initializing,    ///< writes ESC @ (serial and USB only)
        Printing,        ///< one logo per 300 ms tick
        Finishing,       ///< 1000 ms after the last logo
        EndCheck,        ///< GS I 1 after the last logo, until the printer answers
        Done,
    };
    enum class Outcome {
        None,
        Completed,
        Cancelled,
        BadSelection,        ///< "NV image number is incorrect."; nothing sent
        PortOpenFailed,      ///< "ERROR : Port open."
        WriteFailed,         ///< GS I 1 or ESC @ not written
        CommunicationError,  ///< a header or command not written; the link failed; or
                             ///< the printer that answered before did not confirm
    };

    /// Period of the printing timer and the pause after the last logo.
    static constexpr int kTickMs = 300;
    static constexpr int kFinishMs = 1000;

    LogoPrint(port::ByteStream& stream, base::Clock& clock, base::CErrorLog& log,
              LogoPrintSettings settings);

    /// Does the next piece of work; returns the wait in ms, or base::kStepDone.
    int Step();
    /// Nothing more is sent; the run ends at the next step.
    void Cancel() {
        m_Cancelled = true;
        m_Stream.Interrupt();  // a write the printer has stopped taking gives way
    }

    State GetState() const { return m_State; }
    Outcome GetOutcome() const { return m_Outcome; }
    /// None when the printer confirmed; NotConfirmed for a completed run
    /// nothing could confirm; the fault of a failed one.
    base::Reason Reason() const { return m_Reason; }
    bool Confirmed() const { return m_Receipt.Result() == port::Receipt::Confirmed; }
    bool IsDone() const { return m_State == State::Done; }
    /// 255 for "All", else the plan's total (which may exceed 255).
    long Total() const { return m_Total; }
    long Count() const { return m_Count; }
    /// " " at first, then "Printing... %d/255" (the denominator stays 255).
    const std::string& StatusText() const { return m_Status; }
    const PrintPlan& Plan() const { return m_Plan; }

private:
    int StepPlan();
    int StepConnect();
    int StepCheckPrinter();
    int StepAwaitReply();
    int StepInitialize();
    int StepPrint();
    int FailPrinting(int number);
    int StepEndCheck();
    int Finish(Outcome outcome);
    int NextNumber();

    port::ByteStream& m_Stream;
    base::Clock& m_Clock;
    base::CErrorLog& m_Log;
    LogoPrintSettings m_Settings;

    State m_State = State::Idle;
    Outcome m_Outcome = Outcome::None;
    PrintPlan m_Plan;
    long m_Total = 0;
    long m_Count = 0;
    size_t m_NextRange = 0;
    int m_Current = 0;
    int m_RangeEnd = 0;
    std::atomic<bool> m_Cancelled{false};  ///< set from the window while a step runs
    bool m_Opened = false;
    int64_t m_ReplyDeadline = 0;
    std::string m_Status = " ";
    bool m_PrinterAnswered = false;  ///< the opening check was answered
    port::PrinterDialogue::Ticket m_ReplyTicket = 0;  ///< the opening GS I 1
    port::ReceiptCheck m_Receipt;
    base::Reason m_Reason = base::Reason::None;
};

}  // namespace korva::logo
