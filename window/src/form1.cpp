// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form1.h"

#include "about_dialog.h"
#include "accessible_roles.h"
#include "announcer.h"
#include "batch_button.h"
#include "control_descriptions.h"
#include "engine_text.h"
#include "file_list_model.h"
#include "folder_drop.h"
#include "folder_list_model.h"
#include "focus_preview.h"
#include "folder_view.h"
#include "input_guard.h"
#include "message_box.h"
#include "name_delegate.h"
#include "progress_window.h"
#include "sentences/journal_reports.h"
#include "sentences/rename_failures.h"
#include "sentences/system_errors.h"
#include "sentences/undo_outcomes.h"
#include "start_folder.h"
#include "tooltip_text.h"
#include "translations.h"
#include "twips_layout.h"
#include "undo_hint.h"
#include "undo_history.h"
#include "undo_menu.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QScopedValueRollback>
#include <QTimer>

#include <exception>
#include <memory>
#include <utility>

namespace {

BatchButton* makeButton(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* button = new BatchButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    // Enter in a text field must not click anything.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLineEdit* makeField(QWidget* parent, const char* name, QRect geometry) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setGeometry(geometry);
    return field;
}

// Both labels are Label1, told apart by their index.
QLabel* makeLabel(QWidget* parent, int index, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Label1"));
    label->setProperty("index", index);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

// A button's caption is the engine's, the same in every language: the
// journal records it, and it is the name the user knows the batch by.
QString buttonCaption(norvane::Rule rule) { return toDisplayText(norvane::captionOf(rule)); }

} // namespace

Form1::Form1(norvane::platform::FileSystem& fileSystem, QWidget* parent)
    : Form1(startFolder(fileSystem), fileSystem, parent) {}

Form1::Form1(const std::string& folder, norvane::platform::FileSystem& fileSystem, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      session_(fileSystem) {
    installTranslations(QLocale());
    installAccessibleRoles();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Norvane"));
    const TwipsLayout layout(font());
    setFixedSize(layout.size(7305, 4185));
    if (layout.font() != font()) setFont(layout.font());
    createControls(layout);
    createUndo();

    session_.onFoldersChanging([this] { folderModel_->foldersChanging(); });
    session_.onFoldersChanged([this] { folderModel_->foldersChanged(); });
    session_.onNamesChanging([this] { fileModel_->namesChanging(); });
    session_.onNamesChanged([this] { fileModel_->namesChanged(); });

    startUp(folder);
}

Form1::~Form1() {
    // The views and their models read the session's lists, a member that is
    // gone before QWidget's destructor deletes the children: they go first.
    delete Dir1;
    delete File1;
    delete folderModel_;
    delete fileModel_;
}

void Form1::createControls(const TwipsLayout& layout) {
    txt_find = makeField(this, "txt_find", layout.rect(1590, 300, 2325, 375));
    Txt_replace = makeField(this, "Txt_replace", layout.rect(1590, 780, 2325, 375));
    CmdChange = makeButton(this, "CmdChange", buttonCaption(norvane::Rule::ReplaceName), layout.rect(390, 1290, 825, 315));

    Dir1 = new FolderView(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(layout.rect(390, 1860, 2595, 2115));
    folderModel_ = new FolderListModel(session_.folders(), style()->standardIcon(QStyle::SP_DirOpenIcon),
                                       style()->standardIcon(QStyle::SP_DirClosedIcon), this);
    Dir1->setModel(folderModel_);
    Dir1->setItemDelegate(new FolderIndentDelegate(Dir1));
    Dir1->setUniformItemSizes(true);
    Dir1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(Dir1, &FolderView::openRequested, this, &Form1::openEntry);

    File1 = new QListView(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(layout.rect(3030, 1860, 2385, 2040));
    fileModel_ = new FileListModel(session_.files(), this);
    File1->setModel(fileModel_);
    File1->setItemDelegate(new NameDelegate(File1));
    // One row height for all: a folder of 100,000 files lays out at once.
    File1->setUniformItemSizes(true);
    File1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    File1->setSelectionMode(QAbstractItemView::ExtendedSelection);

    // The labels, like the captions, read the same in every language: never translated.
    findLabel_ = makeLabel(this, 0, QStringLiteral("Find"), layout.rect(690, 360, 765, 255));
    replaceLabel_ = makeLabel(this, 1, QStringLiteral("replace"), layout.rect(660, 840, 765, 255));

    Command1 = makeButton(this, "Command1", buttonCaption(norvane::Rule::NumberName), layout.rect(1260, 1290, 1635, 315));
    Command2 = makeButton(this, "Command2", buttonCaption(norvane::Rule::ExtensionName), layout.rect(2940, 1290, 1635, 315));
    CmdRemoveExt = makeButton(this, "CmdRemoveExt", buttonCaption(norvane::Rule::HeaderName), layout.rect(4620, 1290, 1635, 315));

    const std::pair<QPushButton*, norvane::Rule> buttons[] = {{CmdChange, norvane::Rule::ReplaceName},
                                                              {Command1, norvane::Rule::NumberName},
                                                              {Command2, norvane::Rule::ExtensionName},
                                                              {CmdRemoveExt, norvane::Rule::HeaderName}};
    announcer_ = new Announcer(this);
    auto* focusPreview = new FocusPreview(this, [this](const QString& text) { announcer_->announce(text); });
    for (const auto& [button, rule] : buttons) {
        connect(button, &QPushButton::clicked, this, [this, rule = rule] { runRule(rule); });
        // Resting the pointer on a button tells what it would do now, and so does the keyboard focus.
        static_cast<BatchButton*>(button)->setPreview([this, rule = rule] { return previewOf(rule); });
        connect(fileModel_, &QAbstractItemModel::modelAboutToBeReset, static_cast<BatchButton*>(button), &BatchButton::forgetPreview);
        focusPreview->watch(button, [this, rule = rule] { return previewWork(rule); });
    }
    connect(fileModel_, &QAbstractItemModel::modelAboutToBeReset, focusPreview, &FocusPreview::forget);

    // The labels take no focus, so Tab goes through the others in this order.
    QWidget::setTabOrder(txt_find, Txt_replace);
    QWidget::setTabOrder(Txt_replace, CmdChange);
    QWidget::setTabOrder(CmdChange, Dir1);
    QWidget::setTabOrder(Dir1, File1);
    QWidget::setTabOrder(File1, Command1);
    QWidget::setTabOrder(Command1, Command2);
    QWidget::setTabOrder(Command2, CmdRemoveExt);
    txt_find->setFocus();
    describeControls(this);

    // A folder dragged from a file manager opens as if chosen in Dir1.
    new FolderDrop(this, [this](const std::string& folder) {
        try {
            openFolder(folder);
        } catch (const std::exception& error) {
            showMessage(this, tr("Cannot open the folder: %1.").arg(toDisplayText(error.what())));
        }
    });
}

void Form1::startUp(const std::string& folder) {
    // The engine's own path, so no display text is ever turned back into a path.
    session_.openFolder(folder);
    Dir1->setCurrentIndex(folderModel_->currentFolderIndex());
    if (session_.listingError()) {
        // Reported once the window is up, so the box has a window to sit on.
        QTimer::singleShot(0, this, [this] { reportListingError(); });
    }
    QTimer::singleShot(0, this, &Form1::openJournal);
}

// What a crash, a kill or a power cut left half done is settled, told and
// put on top of the undo stack; nothing moves until the user asks, and the
// box itself offers to put the files back.
void Form1::openJournal() {
    JournalReport report;
    try {
        BusyCursor busy;
        report = journalReport(session_.open(), session_.journalFolder());
    } catch (const std::exception& error) {
        report.text = journalUnreadable(error.what());
    }
    updateUndoAction();
    if (askAfterCrash(this, report)) undoBatches(report.sequences);
}

void Form1::closeEvent(QCloseEvent* event) {
    if (!working_) return QWidget::closeEvent(event);
    norvane::Session::end();
    event->ignore();
}

void Form1::openEntry(const QModelIndex& index) {
    if (!index.isValid()) return;
    try {
        openFolder(session_.folders().entries()[static_cast<std::size_t>(index.row())].path);
    } catch (const std::exception& error) {
        showMessage(this, tr("Cannot open the folder: %1.").arg(toDisplayText(error.what())));
    }
}

void Form1::openFolder(const std::string& folder) {
    session_.openFolder(folder);
    Dir1->setCurrentIndex(folderModel_->currentFolderIndex());
    reportListingError();
}

bool Form1::reportListingError() {
    const auto& error = session_.listingError();
    if (!error) return false;
    showMessage(this, tr("Cannot read the folder \"%1\"%2.").arg(toDisplayText(error->folder), sentences::systemError(error->error)));
    return true;
}

norvane::RuleTexts Form1::currentTexts() const {
    return {toEngineText(txt_find->text()), toEngineText(Txt_replace->text())};
}

void Form1::runRule(norvane::Rule rule) {
    // The texts are read once, when the button is clicked.
    const norvane::RuleTexts texts = currentTexts();
    // Until the run and its messages are over, the window takes no input: a
    // click made meanwhile would otherwise run the batch again afterwards.
    const InputGuard guard(this);
    const QScopedValueRollback<bool> working(working_, true);
    ProgressWindow progress(this, tr("Renaming"));
    QString failureText;
    bool reportListing = true;
    std::size_t renamed = 0;
    try {
        norvane::Session::RunResult run;
        {
            BusyCursor busy;
            run = session_.run(rule, texts, progress, progress.callback());
        }
        renamed = run.renamed;
        if (const auto& failure = run.failure) {
            failureText = sentences::renameFailure(*failure);
            // A batch that stopped midway can be taken back as well as a whole one.
            if (run.renamed > 0) failureText += QLatin1Char(' ') + tr("Ctrl+Z puts them back.");
            // That failure already says the folder could not be listed.
            reportListing = failure->kind != norvane::RenameFailure::Kind::RefreshFailed;
        }
    } catch (const std::exception& error) {
        failureText = tr("The renaming stopped: %1.").arg(toDisplayText(error.what()));
    } catch (...) {
        failureText = tr("The renaming stopped for an unknown reason.");
    }
    updateUndoAction();
    progress.close();
    // Asked to end meanwhile: the batch stopped between two moves and its journal is settled.
    if (norvane::Session::ending()) return endAfterWork();
    if (failureText.isEmpty()) {
        // A batch that says nothing ("Repalce") still tells a screen reader it is done.
        if (!progress.spoke()) announcer_->announce(sentences::renamedFiles(renamed));
        return;
    }
    // The list still shows the names from before the run while the box is up.
    showMessage(this, failureText);
    refreshAfterFailure(reportListing);
}

namespace {

QString previewText(const std::function<norvane::Preview()>& preview, Qt::LayoutDirection direction) {
    try {
        return sentences::preview(preview(), direction);
    } catch (const std::exception& error) {
        return Form1::tr("Cannot tell what this button would do: %1.").arg(toDisplayText(error.what()));
    }
}

} // namespace

QString Form1::previewOf(norvane::Rule rule) const {
    return previewText([&] { return session_.preview(rule, currentTexts()); }, layoutDirection());
}

std::function<QString()> Form1::previewWork(norvane::Rule rule) const {
    // Over a copy of the list, for the other thread: the window may list
    // another folder, or a batch rename this one, while it is worked out.
    return [work = session_.previewLater(rule, currentTexts()), direction = layoutDirection()] {
        return previewText(work, direction);
    };
}

void Form1::createUndo() {
    undoAction_ = new QAction(this);
    undoAction_->setObjectName(QStringLiteral("undoRename"));
    // In "Find" and "replace" the fields take Ctrl+Z for their own typing first.
    undoAction_->setShortcut(QKeySequence::Undo);
    undoAction_->setShortcutContext(Qt::WindowShortcut);
    addAction(undoAction_);
    connect(undoAction_, &QAction::triggered, this, [this] { undoLastBatch(); });
    auto* menu = new UndoMenu(File1, undoAction_);
    menu->setHistory(createUndoHistory());
    // Another Norvane may have made or taken back a batch since: the menu tells the journal as it is now.
    menu->setBeforeOpening([this] {
        if (!working_) updateUndoAction();
    });
    addAboutAction(this, *menu);
    undoHint_ = new UndoHint(
        this, File1, {txt_find, Txt_replace},
        [this] {
            try {
                return undo_text::inFileList(session_.latest());
            } catch (const std::exception& error) {
                return tr("The journal could not be read: %1.").arg(toDisplayText(error.what()));
            }
        },
        [this](const QString& text) { announcer_->announce(text); }, this);
    connect(undoHint_, &UndoHint::undoAsked, this, &Form1::undoLastBatch);
    // Nothing to take back until the journal is opened, once the window is up:
    // asking it now would read every batch's file twice at each start.
    undoAction_->setText(undo_text::menuItem(std::string(), 0));
    undoAction_->setEnabled(false);
}

// "Undo History...", under "Undo Rename" in the file list's menu, and Ctrl+H
// anywhere in the window: no field or list takes that key.
QAction* Form1::createUndoHistory() {
    auto* history = new QAction(tr("Undo History..."), this);
    history->setObjectName(QStringLiteral("undoHistory"));
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    history->setShortcutContext(Qt::WindowShortcut);
    addAction(history);
    connect(history, &QAction::triggered, this, &Form1::showUndoHistory);
    return history;
}

void Form1::updateUndoAction() {
    std::optional<norvane::Session::Batch> latest;
    try {
        latest = session_.latest();
    } catch (const std::exception&) {
        // Told when the user asks to undo: the menu opens all the same.
    }
    // A latest batch that cannot go back yet is still offered: Ctrl+Z says why.
    undoAction_->setEnabled(latest.has_value());
    undoAction_->setText(undo_text::menuItem(latest ? latest->folder : std::string(), latest ? latest->files : 0));
    QString preview;
    if (latest && latest->state == norvane::Session::Batch::State::Ready)
        preview = undo_text::preview(latest->what, latest->folder, latest->files);
    else if (latest)
        preview = tr("Cannot be taken back now: %1.").arg(undo_text::whyNot(*latest));
    undoAction_->setToolTip(preview);
}

// The latest batch back, as a batch of its own: what cannot go back stays
// where it is and is named in the box; what a refused move or a cancel left
// undone waits for the next Ctrl+Z. The latest is the journal's, read again
// now: of any session, folder and window. One that cannot go back yet is
// named with its reason; an older one is never taken in its place.
void Form1::undoLastBatch(QWidget* askedAt) {
    if (working_) return;
    std::optional<norvane::Session::Batch> latest;
    try {
        latest = session_.latest();
    } catch (const std::exception& error) {
        showMessage(this, journalUnreadable(error.what()));
        return;
    }
    if (!latest) {
        updateUndoAction();
        return undoHint_->tell(askedAt != nullptr ? askedAt : File1, undo_text::nothingToTakeBack());
    }
    if (latest->state != norvane::Session::Batch::State::Ready) {
        updateUndoAction();
        return showMessage(this, undo_text::latestWaits(*latest));
    }
    undoBatches({latest->sequence});
}

// Takes back each batch in turn, in the order given, under the window's
// guard; one box then tells how each went, by its folder.
void Form1::undoBatches(std::vector<std::uint64_t> sequences) {
    if (working_ || sequences.empty()) return;
    const InputGuard guard(this);
    const QScopedValueRollback<bool> working(working_, true);
    QStringList texts;
    for (const std::uint64_t sequence : sequences) {
        if (norvane::Session::ending()) break;
        texts << undoText(sequence);
    }
    updateUndoAction();
    if (norvane::Session::ending()) return endAfterWork();
    // Where the list already shows the names put back, the box need not wait
    // for the folder's read again, which is taken in once the box is closed.
    const bool rereading = session_.rereading();
    if (!rereading) refreshAfterFailure(true);
    texts.removeAll(QString());
    if (!texts.isEmpty()) showMessage(this, texts.join(QStringLiteral("\n\n")));
    if (rereading) refreshAfterFailure(true);
}

// Takes one batch back under a progress window; what the box says of it.
QString Form1::undoText(std::uint64_t sequence) {
    ProgressWindow progress(this, tr("Putting back"));
    BusyCursor busy;
    try {
        return undo_text::result(session_.takeBack(sequence, progress.callback()));
    } catch (const std::exception& error) {
        // What moved is read from the folder at the next undo.
        return tr("The undo stopped: %1.").arg(toDisplayText(error.what()));
    }
}

// Every kept batch, from the file list's menu or Ctrl+H: the one chosen there is taken back.
void Form1::showUndoHistory() {
    if (working_) return;
    std::optional<std::uint64_t> chosen;
    {
        UndoHistory history(session_, this);
        history.exec();
        chosen = history.chosen();
    }
    updateUndoAction();
    if (chosen) undoBatches({*chosen});
}

// The window closes once the work it was asked to end has stopped.
void Form1::endAfterWork() {
    QTimer::singleShot(0, this, &QWidget::close);
}

void Form1::refreshAfterFailure(bool reportListing) {
    // Show the folder's real names: the files moved before the failure have new ones.
    try {
        if (!session_.refresh() && reportListing) reportListingError();
    } catch (const std::exception& error) {
        showMessage(this, tr("Cannot list the folder again: %1.").arg(toDisplayText(error.what())));
    }
}
