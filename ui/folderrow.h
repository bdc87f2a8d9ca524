// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/messagereader.h"

#include <QObject>
#include <QPointer>
#include <QString>

struct MatchRules;
class QLabel;
class QPushButton;
class QWidget;
class TreeCounter;

// One of the window's three folder rows: its button, its path label and the path it fills in,
// which the window keeps. The button asks for a folder; a folder dropped on the button or the
// label is taken as if chosen, unless the button is disabled (while a run uses the folders). The
// chooser starts at the row's folder or at the one chosen last in any row, this time or before.
// The rows of the two image trees count a taken tree on a worker thread, made at first use, and
// show the counts in a box.
class FolderRow : public QObject
{
    Q_OBJECT

public:
    enum Counting { NoCount, CountImages, CountFiles };

    FolderRow(QPushButton *button, QLabel *label, QString &path, Counting counting, QWidget *window);

    // Asks for a folder. While the chooser is open, the row's count, if one is running, keeps its
    // numbers back: a folder chosen now abandons that count, a cancel lets it report.
    void pick();
    // Shows and keeps a chosen or dropped folder, remembers it for the next chooser, and counts an
    // image tree.
    void take(const QString &folder);

    TreeCounter *counter();

    // The rules that tell the picks an image count counts; the window keeps them.
    void countPicksBy(const MatchRules &rules) { pickRules = &rules; }

    // The row also takes a client's message dropped on it, as text or a .txt file, and hands it
    // on through messageDropped().
    void takeMessages() { takesMessages = true; }

signals:
    void folderTaken(const QString &folder);
    void messageDropped(const MessageReader::Text &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString startFolder() const;

    QPushButton *const button;
    QLabel *const label;
    QString &path;
    const Counting counting;
    QWidget *const window;
    QPointer<TreeCounter> treeCounter;
    const MatchRules *pickRules = nullptr; // none: the default rules
    bool takesMessages = false;
};
