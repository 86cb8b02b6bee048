#pragma once

#include <QWidget>

#include "sim/word.h"

namespace Ui {
class DemoWindow;
}
class EditorBinding;
class QPlainTextEdit;

// One document of the simulated word processor in a real window: its editor and the document
// commands (save, print, close, new document). Checks start from the tray program's own commands.
class DemoWindow : public QWidget
{
    Q_OBJECT
public:
    explicit DemoWindow(sim::WordDocId document, QWidget* parent = nullptr);
    ~DemoWindow() override;

    sim::WordDocId document() const { return doc; }
    QPlainTextEdit* editor() const;
    void showStatus(const QString& text);

signals:
    void newDocumentRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void on_pushButtonSave_clicked();
    void on_pushButtonPrint_clicked();
    void on_pushButtonClose_clicked();
    void on_pushButtonNew_clicked();

private:
    void followDocument();

    Ui::DemoWindow* ui;
    sim::WordDocId doc;
    EditorBinding* binding = nullptr;
    int saves = 0;
    int prints = 0;
};
