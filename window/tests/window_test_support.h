#pragma once

// Shared by the window tests: a real temporary folder with raw-byte names,
// the rows a view shows, and a stand-in user who answers the modal boxes.

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
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
    std::filesystem::path path() const { return std::filesystem::path(dir_.path().toStdString()); }
    std::string text() const { return path().string(); }

    void addFiles(const std::vector<std::string>& names) const {
        for (const std::string& name : names) std::ofstream(path() / name, std::ios::binary) << name;
    }
    void addFolder(const std::string& name) const { std::filesystem::create_directories(path() / name); }

    // Everything directly in the folder, by bytes.
    std::set<std::string> names() const {
        std::set<std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(path())) result.insert(entry.path().filename().string());
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
};

// Clicks OK on every modal message box that comes up, after noting what it
// showed and running `whileShown` (to look at the window behind it).
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::function<void()> whileShown = {}) : whileShown_(std::move(whileShown)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { answer(); });
        poll_.start(10);
    }

    const std::vector<SeenBox>& seen() const { return seen_; }

private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        seen_.push_back({box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size())});
        if (whileShown_) whileShown_();
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
        else box->reject();
    }

    QTimer poll_;
    std::function<void()> whileShown_;
    std::vector<SeenBox> seen_;
};

} // namespace window_test
