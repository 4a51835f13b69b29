#include "form1.h"

#include "batch_button.h"
#include "control_descriptions.h"
#include "engine_text.h"
#include "file_list_model.h"
#include "folder_drop.h"
#include "folder_list_model.h"
#include "folder_view.h"
#include "input_guard.h"

#include "norvane/rename_run.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <exception>

namespace {

// The window is laid out in twips; 15 of them make one device-independent
// pixel, which Qt scales on high-density screens.
constexpr int fromTwips(int twips) { return twips / 15; }

QRect twipsRect(int left, int top, int width, int height) {
    return {fromTwips(left), fromTwips(top), fromTwips(width), fromTwips(height)};
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, QRect geometry) {
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

} // namespace

Form1::Form1(norvane::platform::FileSystem& fileSystem, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      folders_(fileSystem),
      files_(fileSystem),
      messages_(this) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Norvane"));
    setFixedSize(fromTwips(7305), fromTwips(4185));
    // The fixed layout was drawn for an 8-point font; larger ones clip the captions.
    QFont smaller = font();
    if (smaller.pointSizeF() > 8.0) {
        smaller.setPointSizeF(8.0);
        setFont(smaller);
    }
    createControls();

    folders_.onChanging([this] { folderModel_->foldersChanging(); });
    folders_.onChange([this](const std::string& path) {
        folderModel_->foldersChanged();
        files_.setPath(path);
    });
    files_.onNamesChanging([this] { fileModel_->namesChanging(); });
    files_.onNamesChanged([this] { fileModel_->namesChanged(); });

    startUp();
}

Form1::~Form1() {
    // The views and their models read folders_ and files_, members that are
    // gone before QWidget's destructor deletes the children: they go first.
    delete Dir1;
    delete File1;
    delete folderModel_;
    delete fileModel_;
}

void Form1::createControls() {
    txt_find = makeField(this, "txt_find", twipsRect(1590, 300, 2325, 375));
    Txt_replace = makeField(this, "Txt_replace", twipsRect(1590, 780, 2325, 375));
    CmdChange = makeButton(this, "CmdChange", QStringLiteral("Repalce"), twipsRect(390, 1290, 825, 315));

    Dir1 = new FolderView(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(twipsRect(390, 1860, 2595, 2115));
    folderModel_ = new FolderListModel(folders_, style()->standardIcon(QStyle::SP_DirOpenIcon),
                                       style()->standardIcon(QStyle::SP_DirClosedIcon), this);
    Dir1->setModel(folderModel_);
    Dir1->setItemDelegate(new FolderIndentDelegate(Dir1));
    Dir1->setUniformItemSizes(true);
    Dir1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(Dir1, &FolderView::openRequested, this, &Form1::openEntry);

    File1 = new QListView(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(twipsRect(3030, 1860, 2385, 2040));
    fileModel_ = new FileListModel(files_, this);
    File1->setModel(fileModel_);
    // One row height for all: a folder of 100,000 files lays out at once.
    File1->setUniformItemSizes(true);
    File1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    File1->setSelectionMode(QAbstractItemView::ExtendedSelection);

    findLabel_ = makeLabel(this, 0, QStringLiteral("Find"), twipsRect(690, 360, 765, 255));
    replaceLabel_ = makeLabel(this, 1, QStringLiteral("replace"), twipsRect(660, 840, 765, 255));

    Command1 = makeButton(this, "Command1", QStringLiteral("Change File Name"), twipsRect(1260, 1290, 1635, 315));
    Command2 = makeButton(this, "Command2", QStringLiteral("Change Extention"), twipsRect(2940, 1290, 1635, 315));
    CmdRemoveExt = makeButton(this, "CmdRemoveExt", QStringLiteral("Remove Hider"), twipsRect(4620, 1290, 1635, 315));

    connect(CmdChange, &QPushButton::clicked, this, [this] { runRule(norvane::Rule::ReplaceName); });
    connect(Command1, &QPushButton::clicked, this, [this] { runRule(norvane::Rule::NumberName); });
    connect(Command2, &QPushButton::clicked, this, [this] { runRule(norvane::Rule::ExtensionName); });
    connect(CmdRemoveExt, &QPushButton::clicked, this, [this] { runRule(norvane::Rule::HeaderName); });

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

void Form1::startUp() {
    // The engine's own path of the program's folder, so no display text is
    // ever turned back into a path.
    const std::string applicationFolder = norvane::platform::applicationFolder();
    folders_.setPath(applicationFolder);
    files_.setPath(applicationFolder);
    files_.setPattern("*.*");
    Dir1->setCurrentIndex(folderModel_->currentFolderIndex());
    if (files_.error() || folders_.error()) {
        // Reported once the window is up, so the box has a window to sit on.
        QTimer::singleShot(0, this, [this] { reportListingError(); });
    }
}

void Form1::openEntry(const QModelIndex& index) {
    if (!index.isValid()) return;
    try {
        openFolder(folders_.entries()[static_cast<std::size_t>(index.row())].path);
    } catch (const std::exception& error) {
        showMessage(this, tr("Cannot open the folder: %1.").arg(toDisplayText(error.what())));
    }
}

void Form1::openFolder(const std::string& folder) {
    folders_.setPath(folder);
    Dir1->setCurrentIndex(folderModel_->currentFolderIndex());
    reportListingError();
}

bool Form1::reportListingError() {
    const auto& error = files_.error() ? files_.error() : folders_.error();
    if (!error) return false;
    showMessage(this, tr("Cannot read the folder \"%1\": %2 (error %3).")
                          .arg(toDisplayText(error->folder), toDisplayText(error->error.description))
                          .arg(error->error.number));
    return true;
}

void Form1::runRule(norvane::Rule rule) {
    // The texts are read once, when the button is clicked.
    const norvane::RuleTexts texts{toEngineText(txt_find->text()), toEngineText(Txt_replace->text())};
    // Until the run and its messages are over, the window takes no input: a
    // click made meanwhile would otherwise run the batch again afterwards.
    const InputGuard guard(this);
    QString failureText;
    bool reportListing = true;
    try {
        std::optional<norvane::RenameFailure> failure;
        {
            BusyCursor busy;
            failure = norvane::Run(rule, files_, texts, messages_);
        }
        if (!failure) return;
        failureText = toDisplayText(norvane::describe(*failure));
        // That failure already says the folder could not be listed.
        reportListing = failure->kind != norvane::RenameFailure::Kind::RefreshFailed;
    } catch (const std::exception& error) {
        failureText = tr("The renaming stopped: %1.").arg(toDisplayText(error.what()));
    } catch (...) {
        failureText = tr("The renaming stopped for an unknown reason.");
    }
    // The list still shows the names from before the run while the box is up.
    showMessage(this, failureText);
    refreshAfterFailure(reportListing);
}

void Form1::refreshAfterFailure(bool reportListing) {
    // Show the folder's real names: the files moved before the failure have new ones.
    try {
        if (!files_.refresh() && reportListing) reportListingError();
    } catch (const std::exception& error) {
        showMessage(this, tr("Cannot list the folder again: %1.").arg(toDisplayText(error.what())));
    }
}
