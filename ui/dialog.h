// SPDX-License-Identifier: GPL-3.0-or-later
// A dialog built from a template: controls at the template's rectangles (dialog units
// turned into pixels by the template's font), the template's menu bar, and the commands
// the dialog does not handle itself passed on to the application.
#pragma once

#include <QDialog>
#include <functional>

#include "platform/window.h"
#include "res/templates.h"
#include "ui/dialog_units.h"

class QMenuBar;

class CDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CDialog(const res::Dialog& dialogTemplate, QWidget* parent = nullptr);
    ~CDialog() override;

    // Builds the window from its template and initialises it; once.
    bool Create();
    // Creates the window if need be and runs it modally; returns the end code.
    int DoModal();

    QWidget* GetDlgItem(int id) const;
    const res::Dialog& Template() const { return m_template; }
    ui::BaseUnits Units() const { return m_units; }
    QWidget* Client() const { return m_client; }
    QMenuBar* MenuBar() const { return m_menuBar; }
    // The id other parts of the program know this window by.
    plat::HWND GetSafeHwnd() const { return m_handle.GetSafeHwnd(); }

    // Where commands go that no dialog handles (the application's command table).
    static void SetCommandRouter(std::function<void(int)> router);
    void SendCommand(int id);

  protected:
    // Returns true to put the focus on the first control reached with Tab.
    virtual bool OnInitDialog();
    virtual void DoDataExchange() {}
    // Returns true when the dialog handled the command itself.
    virtual bool OnCommand(int) { return false; }
    // F1 sends the help command; the controls pass it on to the dialog unanswered.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildControls();
    void buildMenu();

    const res::Dialog& m_template;
    ui::BaseUnits m_units{};
    QWidget* m_client = nullptr;
    QMenuBar* m_menuBar = nullptr;
    plat::CWnd m_handle;
    bool m_created = false;
};
