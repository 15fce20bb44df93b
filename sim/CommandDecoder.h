#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "FirmwareNewLoader.h"
#include "FirmwareOldLoader.h"
#include "NvDefinitionDecoder.h"

namespace korva::sim {

class Printer;

/// Turns the bytes of one connection into printer actions, one byte at a time,
/// so a command split across reads decodes the same as one read whole.
/// Bytes that no command claims go to the unknown sink; nothing here throws.
class CommandDecoder {
  public:
    using ReplyFn = std::function<void(std::vector<uint8_t>)>;
    using UnknownFn = std::function<void(std::span<const uint8_t>)>;

    CommandDecoder(Printer& printer, ReplyFn reply, UnknownFn unknown);
    void Feed(uint8_t b);

  private:
    enum class State { Idle, Esc, Fs, Gs, Collect, NvDefine, FwNew, FwOld, OldLoaderMark };
    /// What to do once a fixed number of parameter bytes has been collected.
    enum class Then { Ignore, FsPrint, GsId, GsAsb, GsCut, GsCutFeed, GsParenHead, GsParenBody };

    void Idle(uint8_t b);
    void AfterEsc(uint8_t b);
    void AfterFs(uint8_t b);
    void AfterGs(uint8_t b);
    void Collect(size_t count, Then then);
    void Collected();
    void PrintNvImage(uint8_t number, uint8_t size);
    void TransmitId(uint8_t n);
    void FunctionFamily(uint8_t family, std::span<const uint8_t> params);
    void StartNvDefinition();
    void Unknown(std::span<const uint8_t> bytes);
    void Reply(std::vector<uint8_t> bytes);

    Printer& m_Printer;
    ReplyFn m_Reply;
    UnknownFn m_Unknown;
    State m_State = State::Idle;
    std::vector<uint8_t> m_Command;  ///< the current command's bytes so far
    size_t m_ParamStart = 0;         ///< where the collected parameters begin in m_Command
    size_t m_Need = 0;
    Then m_Then = Then::Ignore;
    NvDefinitionDecoder m_NvDefinition;
    FirmwareNewLoader m_NewLoader;
    FirmwareOldLoader m_OldLoader;
};

}  // namespace korva::sim
