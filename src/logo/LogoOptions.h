#pragma once

namespace korva::logo {

/// Options the conversion and the upload read, published by the Setup page.
/// The auto-centre choice is not here: it belongs to each listed logo
/// (LogoEntry::centerAlign), so sorting rows can never hand it to another logo.
struct LogoOptions {
    /// Black/white diverging point 0..255; higher gives more dots.
    int threshold = 128;
    /// Width in dots that an image marked for centring is centred into (1..512).
    int maxPrintableWidth = 512;
    /// Upload 4-bit gray images instead of 1-bit images (sizes count 4 times).
    bool grayPrinting = false;
    /// ESC in front of the NV definition and print commands.
    bool starEmulation = false;
};

}  // namespace korva::logo
