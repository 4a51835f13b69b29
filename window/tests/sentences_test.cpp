// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window's sentences in English and in German: counts in their plural
// forms, numbers grouped as the language groups them; and the window itself
// started in German.

#include "form1.h"
#include "sentences/rename_failures.h"
#include "sentences/undo_outcomes.h"
#include "translations.h"
#include "window_test_support.h"

#include <QPushButton>
#include <QTest>

#include <functional>

using window_test::BoxAnswerer;
using window_test::TempFolder;
using Kind = norvane::RenameFailure::Kind;
using Sentence = std::function<QString()>;
Q_DECLARE_METATYPE(Sentence)

namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);

norvane::RenameFailure failure(Kind kind, std::size_t position, std::size_t count, std::size_t renamed) {
    norvane::RenameFailure failure;
    failure.kind = kind;
    failure.position = position;
    failure.count = count;
    failure.name = "d.txt";
    failure.newName = "004.txt";
    failure.renamed = renamed;
    return failure;
}

} // namespace

class SentencesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        QLocale::setDefault(english);
        installTranslations(english);
    }
    void sentences_data();
    void sentences();
    void theWindowSpeaksGerman();
};

void SentencesTest::sentences_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Sentence>("sentence");
    QTest::addColumn<QString>("expected");

    auto refused = failure(Kind::MoveRefused, 3, 4, 3);
    refused.error = norvane::platform::SystemError{13, "Permission denied"};
    auto missingPart = failure(Kind::MissingPart, 2, 5, 0);
    missingPart.name = "song.mp3";
    missingPart.newName.reset();
    missingPart.missingPart = 2;
    auto many = failure(Kind::NameTaken, 999999, 1000000, 0);
    many.destination = "/card/004.txt";
    auto noJournal = failure(Kind::JournalUnwritable, 0, 2, 0);
    noJournal.error = norvane::platform::SystemError{0, {}, norvane::platform::SystemError::Reason::NoStateFolder};
    norvane::UndoOutcome undone;
    undone.folder = "/card";
    undone.restored = 1;

    const auto rows = {
        std::make_tuple("move refused", english, Sentence([=] { return sentences::renameFailure(refused); }),
                        QStringLiteral("Cannot rename \"d.txt\" (file 4 of 4) to \"004.txt\": the move was refused (error 13: "
                                       "Permission denied). 3 files were renamed before it; it and the files after it keep their "
                                       "names.")),
        std::make_tuple("one renamed before", english, Sentence([=] { return sentences::renameFailure(failure(Kind::MoveRefused, 1, 2, 1)); }),
                        QStringLiteral("Cannot rename \"d.txt\" (file 2 of 2) to \"004.txt\": the move was refused. 1 file was "
                                       "renamed before it; it and the files after it keep their names.")),
        std::make_tuple("missing part", english, Sentence([=] { return sentences::renameFailure(missingPart); }),
                        QStringLiteral("Cannot rename \"song.mp3\" (file 3 of 5): the name has no part 2 (parts are counted from 0, "
                                       "one at each \".\"). No file was renamed.")),
        std::make_tuple("missing part, in German", german, Sentence([=] { return sentences::renameFailure(missingPart); }),
                        QStringLiteral("\"song.mp3\" (Datei 3 von 5) kann nicht umbenannt werden: der Name hat keinen Teil 2 (Teile "
                                       "werden ab 0 gezählt, einer an jedem „.“). Keine Datei wurde umbenannt.")),
        std::make_tuple("grouped", english, Sentence([=] { return sentences::renameFailure(many); }),
                        QStringLiteral("Cannot rename \"d.txt\" (file 1,000,000 of 1,000,000) to \"004.txt\": \"/card/004.txt\" "
                                       "already exists. No file was renamed.")),
        std::make_tuple("grouped, in German", german, Sentence([=] { return sentences::renameFailure(many); }),
                        QStringLiteral("\"d.txt\" (Datei 1.000.000 von 1.000.000) kann nicht in \"004.txt\" umbenannt werden: "
                                       "\"/card/004.txt\" gibt es bereits. Keine Datei wurde umbenannt.")),
        std::make_tuple("the engine's own reason", english, Sentence([=] { return sentences::renameFailure(noJournal); }),
                        QStringLiteral("No file was renamed: Norvane writes every batch down before its first move, so that it can "
                                       "be taken back even after a crash, and there is no folder to keep its journal in (there is "
                                       "no folder for it: neither XDG_STATE_HOME nor HOME names one).")),
        std::make_tuple("one file", english, Sentence([] { return sentences::renamedFiles(1); }), QStringLiteral("Renamed 1 file.")),
        std::make_tuple("two files", english, Sentence([] { return sentences::renamedFiles(2); }), QStringLiteral("Renamed 2 files.")),
        std::make_tuple("a million files", english, Sentence([] { return sentences::renamedFiles(1000000); }),
                        QStringLiteral("Renamed 1,000,000 files.")),
        std::make_tuple("one file, in German", german, Sentence([] { return sentences::renamedFiles(1); }),
                        QStringLiteral("1 Datei umbenannt.")),
        std::make_tuple("a million files, in German", german, Sentence([] { return sentences::renamedFiles(1000000); }),
                        QStringLiteral("1.000.000 Dateien umbenannt.")),
        std::make_tuple("one file back", english, Sentence([=] { return undo_text::outcome(undone); }),
                        QStringLiteral("The file in \"/card\" got its name back.")),
        std::make_tuple("one file back, in German", german, Sentence([=] { return undo_text::outcome(undone); }),
                        QStringLiteral("Die Datei in „/card“ hat ihren Namen zurück.")),
    };
    for (const auto& [name, locale, sentence, expected] : rows) QTest::newRow(name) << locale << sentence << expected;
}

void SentencesTest::sentences() {
    QFETCH(QLocale, locale);
    QFETCH(Sentence, sentence);
    QFETCH(QString, expected);
    QLocale::setDefault(locale);
    installTranslations(locale);
    QCOMPARE(sentence(), expected);
}

// Started where the language is German, the window says so in German; the
// captions and labels read as they do everywhere.
void SentencesTest::theWindowSpeaksGerman() {
    QLocale::setDefault(german);
    TempFolder folder;
    folder.addFiles({"a.b.c", "single.txt"});
    Form1 window(folder.text());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* removeHider = window_test::child<QPushButton>(window, "CmdRemoveExt");
    QCOMPARE(removeHider->text(), QStringLiteral("Remove Hider"));
    QCOMPARE(window_test::child<QWidget>(window, "txt_find")->accessibleName(), QStringLiteral("Find"));

    BoxAnswerer answerer;
    QTest::mouseClick(removeHider, Qt::LeftButton);

    QCOMPARE(answerer.seen().size(), std::size_t{1});
    QCOMPARE(answerer.seen().front().text,
             QStringLiteral("\"single.txt\" (Datei 2 von 2) kann nicht umbenannt werden: der Name hat keinen Teil 2 (Teile werden "
                            "ab 0 gezählt, einer an jedem „.“). Keine Datei wurde umbenannt."));
    QCOMPARE(folder.names(), (std::set<std::string>{"a.b.c", "single.txt"}));
}

QTEST_MAIN(SentencesTest)
#include "sentences_test.moc"
