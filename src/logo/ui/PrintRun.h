#pragma once
#include "logo/LogoPrint.h"

class QWidget;

namespace korva::logo::ui {

class CProgress;

/// Runs one printout of stored logos. The "Printing" window appears once the
/// printer is prepared and follows the count, one logo per 300 ms tick; its
/// Cancel stops the stream at the next tick.
LogoPrint::Outcome RunLogoPrint(LogoPrint& engine, QWidget* parent,
                                const std::function<void(CProgress&)>& onProgressShown = {});

}  // namespace korva::logo::ui
