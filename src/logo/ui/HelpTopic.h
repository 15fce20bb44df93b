#pragma once
#include <QString>

namespace korva::logo::ui {

/// The file that holds a help topic: "help/<Topic>.html" beside the program
/// or in the working directory ("Logo Printout" -> "Logo_Printout.html");
/// empty when no such file is installed.
QString HelpTopicFile(const QString& topic);

/// F1 on a page: opens the topic's help file in the desktop's viewer; true
/// when there was one to open.
bool OpenHelpTopic(const QString& topic);

}  // namespace korva::logo::ui
