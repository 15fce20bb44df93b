#pragma once
// The user setup over one connection without a window: the command line's
// read, write and test page. Owns the port object, the parallel port control
// or the TCP link the connection needs, and the Qt application the reply
// hand-over runs on when there is none yet.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/ErrorLog.h"
#include "base/Reason.h"
#include "port/Connection.h"
#include "port/Discovery.h"
#include "usersetup/ReadBack.h"
#include "usersetup/SetupLists.h"
#include "usersetup/UserSettings.h"
#include "usersetup/UserSetupExchange.h"

namespace korva::usersetup {

class SetupSession {
  public:
    SetupSession(const port::ConnectionSettings& connection, base::CErrorLog& log,
                 port::DeviceRoots roots = {});
    ~SetupSession();
    SetupSession(const SetupSession&) = delete;
    SetupSession& operator=(const SetupSession&) = delete;

    port::PortKind Kind() const;
    /// Opens the connection; false after its message.
    bool Connect();
    /// Reads every setting of the kind's request list into `settings`; false
    /// after a failure, or when some had not answered within `timeoutMs`
    /// (`missing` lists them).
    bool Read(UserSettings& settings, const SetupLists& lists, int timeoutMs,
              std::vector<int>& missing);
    /// Enter-setup, set-values, leave-setup and the reconnect; false on failure.
    bool Write(UserSettings settings, const SetupLists& lists);
    /// After a Write: reads the settings again and compares each one the
    /// write carried. False when the read failed outright; a setting that did
    /// not answer is a difference ("no answer").
    bool ReadBack(const SetupLists& lists, int timeoutMs,
                  std::vector<ReadBackDifference>& differences);
    bool TestPage();
    /// The last automatic status block the printer sent on this connection,
    /// if any came (a printer a POS driver left with automatic status on).
    std::optional<std::array<uint8_t, 4>> LastStatus() const;
    /// Why the last operation ended (None: done and confirmed, or nothing to
    /// confirm; NotConfirmed: a test page sent that nothing could confirm).
    base::Reason Reason() const;
    /// Why the connection failed, as the port layer names it (None when it
    /// did not): `opened` tells a fault on the link from a refused open.
    base::Reason FailureReason(bool opened) const;

  private:
    struct Parts;
    bool Run();
    std::unique_ptr<Parts> m_Parts;
};

}  // namespace korva::usersetup
