// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <future>
#include <map>
#include <optional>

class QWidget;

// While one of the buttons has the keyboard focus, what it would do now:
// shown as a tooltip at the button and made its accessible description, so a
// screen reader reads it. At a million files that takes seconds, so Tab never
// waits for it: it is worked out once the focus has rested on the button, on
// another thread, one at a time, and dropped as soon as the focus moves on.
// Each preview belongs to one generation of the list: a change of the list
// or the texts, or a batch or a box blocking the window, starts a new one,
// and what an older one worked out is never shown. The tooltip keeps clear
// of the pointer: with the pointer inside it, the pointer has left the
// window, and Qt takes that for the end of the tooltip.
class FocusPreview : public QObject {
    Q_OBJECT
public:
    using Work = std::function<QString()>;
    static constexpr int restMs = 400;

    // `speak` says the preview to a screen reader as it arrives: some do not
    // read a description that changes while they rest on a control.
    FocusPreview(QObject* parent, std::function<void(const QString&)> speak);
    ~FocusPreview() override; // waits for the work under way
    FocusPreview(const FocusPreview&) = delete;
    FocusPreview& operator=(const FocusPreview&) = delete;

    // `snapshot` runs on the window's thread when the focus has rested on
    // `button`, takes what the work needs, and returns the work.
    void watch(QWidget* button, std::function<Work()> snapshot);

    // Drops what is shown or being worked out: the list or the texts changed.
    void forget();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rested();
    void start(Work work, quint64 generation);
    void finished(quint64 generation, const QString& text);
    void keepClearOfPointer(QWidget* tip) const;

    std::function<void(const QString&)> speak_;
    std::map<QWidget*, std::function<Work()>> snapshots_;
    QTimer rest_;
    QPointer<QWidget> button_; // where the focus rests
    QString ownDescription_;   // the button's description, given back when the focus leaves
    bool describing_ = false;
    bool blocked_ = false; // a batch's dialog or a box is over the window
    bool placing_ = false; // the tooltip is being shown
    quint64 generation_ = 0;
    std::future<void> running_;
    std::optional<std::pair<Work, quint64>> waiting_;
};
