// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <vector>

static void loadTranslations() { Q_INIT_RESOURCE(norvane_translations); }

namespace {

struct Installed {
    QString locale; // bcp47Name() of the locale installed for, empty before the first
    std::vector<std::unique_ptr<QTranslator>> translators;
};

Installed& installed() {
    static Installed state;
    return state;
}

// Installs a catalogue where it loads: asked before those installed earlier.
void install(Installed& state, const QLocale& locale, const QString& name, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, name, QStringLiteral("_"), folder)) return;
    QCoreApplication::installTranslator(translator.get());
    state.translators.push_back(std::move(translator));
}

} // namespace

void installTranslations(const QLocale& locale) {
    if (QCoreApplication::instance() == nullptr) return;
    Installed& state = installed();
    if (!state.translators.empty() && state.locale == locale.bcp47Name()) return;
    loadTranslations();
    for (const auto& translator : state.translators) QCoreApplication::removeTranslator(translator.get());
    state.translators.clear();
    state.locale = locale.bcp47Name();
    const QString ours = QStringLiteral(":/translations");
    // English first, so asked last: it gives the source texts their singular.
    install(state, QLocale(QLocale::English), QStringLiteral("norvane"), ours);
    if (locale.language() == QLocale::English || locale.language() == QLocale::C) return;
    install(state, locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    install(state, locale, QStringLiteral("norvane"), ours);
}
