#pragma once
// One logo image on its way to the printer: the bitmap as read from its file,
// its gray values and dots, and the raster that the NV definition carries.
#include <cstdint>
#include <span>
#include <vector>

#include "logo/BitmapDecode.h"
#include "logo/LogoOptions.h"

namespace korva::logo {

class CLogoBitmap {
  public:
    /// Reads a bitmap from its file's bytes. False, with LastError(), when the
    /// bytes are not a bitmap this tool can convert; the previous image is gone
    /// either way and the raster is empty.
    bool LoadFile(std::span<const uint8_t> file);
    /// The same, taking over the file's buffer (no copy of the pixel rows).
    bool LoadFile(std::vector<uint8_t>&& file);
    /// Takes an image another reader decoded (a picture format, see LogoFile.h).
    bool LoadDecoded(BitmapDecodeResult&& result);
    /// Drops the image, recording why (a file that could not even be read).
    void Unload(BitmapError reason);
    const BitmapError& LastError() const { return m_Error; }
    bool IsLoaded() const { return m_Loaded; }

    int width() const { return m_Bitmap.width; }
    int height() const { return m_Bitmap.height; }
    int bitsPerPixel() const { return m_Bitmap.bitsPerPixel; }
    int stride() const { return m_Bitmap.stride; }
    const DecodedBitmap& bitmap() const { return m_Bitmap; }

    /// Gray value 0 (black) .. 255 (white) at image coordinates, (0, 0) top-left;
    /// 255 outside the image or with nothing loaded.
    uint8_t GrayAt(int x, int y) const;
    /// Dot of a 1-bit image (1 = print): the pixels whose colour index is the
    /// black one (index 0 when colour 0 has a zero blue byte, else index 1).
    int DotAt(int x, int y) const;

    /// Builds the 1-bit column raster. With `center` the image is moved right
    /// to the middle of options.maxPrintableWidth (whole bytes, blank columns
    /// on the left) when it is narrower.
    void ConvertMono(const LogoOptions& options, bool center);
    /// Builds the 4-bit row raster of six gray levels; never centred.
    void ConvertGray(const LogoOptions& options);

    /// Width and height in dots, padded to multiples of 8 (width after centring).
    int paddedWidth() const { return m_PaddedWidth; }
    int paddedHeight() const { return m_PaddedHeight; }
    std::span<const uint8_t> raster() const {
        return {m_Raster.data(), static_cast<size_t>(m_RasterLength)};
    }
    int rasterLength() const { return m_RasterLength; }
    /// Bytes the last ConvertMono added by centring (the upload's total grows by them).
    int centringBytes() const { return m_CentringBytes; }

  private:
    void FillWorkImage(const LogoOptions& options);
    void Centre(int maxPrintableWidth);

    DecodedBitmap m_Bitmap;
    BitmapError m_Error;
    bool m_Loaded = false;
    std::vector<uint8_t> m_PaletteGray;  // gray of each colour index, 256 entries
    int m_BlackIndex = 0;
    int m_PaddedWidth = 0;
    int m_PaddedHeight = 0;
    // Reused for every image of an upload: the work image and the raster.
    std::vector<uint8_t> m_Work;
    std::vector<uint8_t> m_Raster;
    int m_RasterLength = 0;
    int m_CentringBytes = 0;
};

}  // namespace korva::logo
