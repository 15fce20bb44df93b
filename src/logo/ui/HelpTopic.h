#pragma once
#include <QDialog>
#include <QString>

class QTextBrowser;

namespace korva::logo::ui {

/// The file that holds a help topic ("Logo Printout" -> "Logo_Printout.html"):
/// in "help/" beside the program (the build tree), in
/// "../share/korvatool/help/" from it (an installation), or in "help/" of the
/// working directory; empty when no such file is installed.
QString HelpTopicFile(const QString& topic, const QString& programDir);
/// The same for this program.
QString HelpTopicFile(const QString& topic);

/// The help window: one bundled page at a time, its links followed inside
/// the window. It belongs to the window it was opened from and stays usable
/// beside that (modal) window.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner);

    /// Shows the topic's page; when none is installed, a line saying so.
    /// True when the page was found.
    bool ShowTopic(const QString& topic);
    QString Topic() const { return m_Topic; }
    QTextBrowser* Browser() const { return m_Browser; }

private:
    QTextBrowser* m_Browser;
    QString m_Topic;
};

/// F1 on a window: shows the topic in that window's help window (made on
/// first use, then reused and raised). True when the topic's page was found.
bool OpenHelpTopic(const QString& topic, QWidget* owner);

}  // namespace korva::logo::ui
