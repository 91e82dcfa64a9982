#pragma once

#include <QWidget>

class QTextBrowser;

// The help window: the program's help file, opened at its contents page, over the main window;
// Escape closes it.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    HelpWindow(const QString& helpFile, QWidget* parent = nullptr);
    void showContents();
    QTextBrowser* browser() const { return m_browser; }

private:
    void placeOverMainWindow();

    QString m_file;
    QTextBrowser* m_browser;
};
