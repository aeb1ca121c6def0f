// The main window base of the programs.
//
// What stands here is what the dialogs need of it: a window whose style sheets
// a dialog can ask it to rebuild after the user changed its colours or font.
// The commands, menus and message hooks of the programs' windows are added
// with the windows themselves.
#pragma once

#include <QMainWindow>
#include <QSize>

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // An invalid size leaves the window at Qt's default size.
    explicit MainWindow(QSize size = QSize(), QWidget* parent = nullptr);
    ~MainWindow() override;

    // Rebuilds the window's style sheets from its current colours and font.
    // Nothing here.
    virtual void updateStyleSheets();
};
