#include "ui/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <atomic>
#include <cstring>

namespace korva::ui {
namespace {
// -1 follow the system, 0 English, 1 Korean.
std::atomic<int> g_Override{-1};
}  // namespace

bool UseKoreanLabels() {
    const int forced = g_Override.load();
    if (forced >= 0) return forced == 1;
    return QLocale::system().language() == QLocale::Korean;
}

void SetKoreanLabelsOverride(std::optional<bool> korean) {
    g_Override.store(korean.has_value() ? (*korean ? 1 : 0) : -1);
}

bool InstallQtTranslation(QCoreApplication& app) {
    if (!UseKoreanLabels()) return false;
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Korean, QLocale::SouthKorea), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QString KoreanMnemonic(const char* english, const QString& korean) {
    if (korean.contains(QLatin1Char('&'))) return korean;
    for (const char* p = std::strchr(english, '&'); p && p[1]; p = std::strchr(p + 2, '&')) {
        if (p[1] != '&') return korean + QStringLiteral("(&") + QChar(p[1]).toUpper() + QLatin1Char(')');
    }
    return korean;
}

QString StripMnemonic(const QString& text) {
    QString plain = text;
    // The Korean form: a "(&X)" after the text goes whole.
    if (plain.size() >= 4 && plain.endsWith(QLatin1Char(')')) && plain[plain.size() - 4] == QLatin1Char('(') &&
        plain[plain.size() - 3] == QLatin1Char('&'))
        plain.chop(4);
    QString out;
    out.reserve(plain.size());
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (plain[i] == QLatin1Char('&') && i + 1 < plain.size()) ++i;
        out += plain[i];
    }
    return out.trimmed();
}

}  // namespace korva::ui
