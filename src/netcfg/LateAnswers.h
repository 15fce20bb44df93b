#pragma once
// A printer may answer a change after the run that sent it stopped waiting.
// Its answer goes to the shared reply port, where the next run to the same
// printer would take it for the answer to its own change. So every run notes
// until when its change may still be answered, and the next run to that MAC
// lets that time pass, dropping what arrives, before it sends.
#include <cstdint>
#include <string>
#include <utility>

#include "netcfg/NetDatagram.h"

namespace korva::netcfg {

/// How long after the wait for it an answer to a change may still arrive;
/// also the longest a later run ever waits for that time to pass.
inline constexpr int kLateAnswerMs = 2000;

class LateAnswerLog {
  public:
    virtual ~LateAnswerLog() = default;
    /// How long answers to an earlier change to `mac` may still come (0..kLateAnswerMs).
    virtual int RemainingMs(const MacAddress& mac) = 0;
    /// A change to `mac` went out; answers may come for `ms` from now.
    virtual void Expect(const MacAddress& mac, int ms) = 0;
    /// The change to `mac` was answered: no later answer is expected.
    virtual void Answered(const MacAddress& mac) = 0;
};

/// One small file per MAC in `folder` (made when missing), holding the wall
/// time until which answers may come, so every run of this user sees it.
/// Files that cannot be read or written leave the runs unguarded, never stopped.
class LateAnswerFiles final : public LateAnswerLog {
  public:
    explicit LateAnswerFiles(std::string folder) : m_Folder(std::move(folder)) {}
    int RemainingMs(const MacAddress& mac) override;
    void Expect(const MacAddress& mac, int ms) override;
    void Answered(const MacAddress& mac) override;

  private:
    std::string PathFor(const MacAddress& mac) const;
    std::string m_Folder;
};

}  // namespace korva::netcfg
