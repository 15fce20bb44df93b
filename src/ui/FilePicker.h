#pragma once
// The one file-open seam of the tools: the program asks a QFileDialog, tests
// hand in a picker that answers with the files they prepared.
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace korva::ui {

/// What a tool asks when it wants files opened.
struct FileQuestion {
    QString filter;         ///< the dialog's file-type list, e.g. "Bitmap Files(*.bmp)"
    std::string start;      ///< the path the dialog starts at (the last one picked)
    bool several = false;   ///< more than one file may be picked
    QString defaultSuffix;  ///< appended to a typed name without one
};

/// The picked paths (in the file system's encoding), in the dialog's order;
/// empty when the user cancelled.
using FilePicker = std::function<std::vector<std::string>(QWidget* parent, const FileQuestion& question)>;

/// The picker the program uses: a QFileDialog for existing files.
std::vector<std::string> PickFilesWithDialog(QWidget* parent, const FileQuestion& question);

/// The first picked path, or "" when nothing was picked (a tool that takes one file).
std::string PickOneFile(const FilePicker& picker, QWidget* parent, const FileQuestion& question);

}  // namespace korva::ui
