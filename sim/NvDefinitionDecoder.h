#pragma once
#include <cstddef>
#include <cstdint>

#include "NvStore.h"

namespace korva::sim {

class Printer;

/// FS q n [xL xH yL yH data]...: defines NV bit images, byte by byte.
/// Announcing n images erases everything stored before. An image that does not
/// fit the NV capacity is refused (its data is consumed, not stored), and so is
/// every image after it. 0 x 0 headers carry no data and store nothing.
class NvDefinitionDecoder {
  public:
    explicit NvDefinitionDecoder(Printer& printer) : m_Printer(printer) {}

    /// Starts after the bytes [1B] 1C 71.
    void Begin();
    /// Takes the next byte; true when the whole definition has been read.
    bool Feed(uint8_t b);

  private:
    enum class Phase { Count, Header, Data };
    void StartImage();
    void FinishImage();

    Printer& m_Printer;
    Phase m_Phase = Phase::Count;
    int m_Count = 0;
    int m_Index = 0;
    uint8_t m_Header[4] = {};
    int m_HeaderFill = 0;
    size_t m_DataLeft = 0;
    bool m_Refusing = false;
    NvImage m_Image;
};

}  // namespace korva::sim
