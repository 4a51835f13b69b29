// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Shared by the window tests: a real temporary folder with raw-byte names,
// the rows a view shows, and a stand-in user who answers the modal boxes.

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace window_test {

// Every test program keeps its journal in a folder of its own, never the user's.
inline const bool journalOfItsOwn = [] {
    static QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    qputenv("LOCALAPPDATA", state.path().toLocal8Bit());
    return state.isValid();
}();

// The tests read the window's English, whatever the machine's language
// (sentences_test switches to German itself).
inline const bool inEnglish = [] {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return true;
}();

// The tests spell names in UTF-8, the engine's text on Windows too; there a
// path made from a plain std::string would read it in the ANSI code page.
inline std::filesystem::path fromUtf8(const std::string& name) {
#ifdef Q_OS_WIN
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
#else
    return std::filesystem::path(name);
#endif
}

inline std::string toUtf8(const std::filesystem::path& path) {
#ifdef Q_OS_WIN
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.string();
#endif
}

// Whether `name` could be a name on this system: on Windows names are UTF-16,
// so bytes that are not UTF-8 name nothing there.
inline bool possibleName(const std::string& name) {
#ifdef Q_OS_WIN
    return QString::fromUtf8(name).toUtf8().toStdString() == name;
#else
    Q_UNUSED(name);
    return true;
#endif
}

// The tree's first row for a folder: its drive's root ("C:\") on Windows, "/" elsewhere.
inline QString rootRow(const std::string& folder) {
#ifdef Q_OS_WIN
    return QString::fromStdString(folder.substr(0, 3));
#else
    Q_UNUSED(folder);
    return QStringLiteral("/");
#endif
}

class TempFolder {
public:
    TempFolder() { Q_ASSERT(dir_.isValid()); }
    // By bytes: Qt cannot remove a name that is not valid in its file name encoding.
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path(), ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // As the system spells it: with backslashes on Windows.
    std::filesystem::path path() const { return fromUtf8(QDir::toNativeSeparators(dir_.path()).toStdString()); }
    std::string text() const { return toUtf8(path()); }

    void addFiles(const std::vector<std::string>& names) const {
        for (const std::string& name : names) std::ofstream(path() / fromUtf8(name), std::ios::binary) << name;
    }
    void addFolder(const std::string& name) const { std::filesystem::create_directories(path() / fromUtf8(name)); }

    // Everything directly in the folder, by bytes.
    std::set<std::string> names() const {
        std::set<std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(path())) result.insert(toUtf8(entry.path().filename()));
        return result;
    }

private:
    QTemporaryDir dir_;
};

// A control of the window by its object name; a test without it cannot go on.
template <typename T>
T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(found != nullptr);
    return found;
}

inline QStringList shownRows(const QAbstractItemView* view) {
    QStringList rows;
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(); ++row) rows << model->index(row, 0).data().toString();
    return rows;
}

inline QStringList displayed(const std::vector<std::string>& names) {
    QStringList result;
    for (const std::string& name : names) result << QString::fromStdString(name);
    return result;
}

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QString defaultButton;
};

// Clicks OK on every modal message box that comes up, after noting what it
// showed and running `whileShown` (to look at the window behind it); or, with
// `pressKey`, answers with that key (Enter: the default button; Escape).
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::function<void()> whileShown = {}) : whileShown_(std::move(whileShown)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { answer(); });
        poll_.start(10);
    }

    const std::vector<SeenBox>& seen() const { return seen_; }
    Qt::Key pressKey = Qt::Key_unknown;

private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        seen_.push_back({box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size()),
                         box->defaultButton() != nullptr ? box->defaultButton()->text() : QString()});
        if (whileShown_) whileShown_();
        if (pressKey != Qt::Key_unknown) QTest::keyClick(box, pressKey);
        else if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
        else box->reject();
    }

    QTimer poll_;
    std::function<void()> whileShown_;
    std::vector<SeenBox> seen_;
};

} // namespace window_test
