// CPropertiesDlg, the properties box: a caption and a list of lines, one per line of a
// text, such as "Width:" and the picture's width.
#pragma once

#include "kxdialog.h"
#include "kxstring.h"

class QListWidget;

class CPropertiesDlg final : public KXDIALOG {
public:
    explicit CPropertiesDlg(QWidget* parent = nullptr);

    // The caption the box takes in place of its template's.
    void SetTitle(const KXSTRING& title) { m_title = title; }
    // The lines, each ended by a line feed.
    void SetText(const KXSTRING& text) { m_text = text; }

protected:
    void OnInitDialog() override;

private:
    KXSTRING m_title;
    KXSTRING m_text;
    QListWidget* m_list = nullptr; // control 1011
};
