#pragma once
#include "logo/NvUpload.h"

class QWidget;

namespace korva::logo::ui {

class CProgress;

/// Runs one upload or erase to its end. The engine asks its question and
/// reports failures itself; while the definition is on its way the
/// "Uploading" window shows the status line and the bytes sent, and its
/// Cancel stops the upload between two images. `onProgressShown` lets a
/// caller (a test) act on the window once it is up.
NvUpload::Outcome RunUpload(NvUpload& engine, QWidget* parent,
                            const std::function<void(CProgress&)>& onProgressShown = {});

}  // namespace korva::logo::ui
