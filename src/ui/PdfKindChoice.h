#pragma once

#include "convert/pdf/PdfKind.h"

#include <QObject>

class MainMenuBar;

// The kind of PDF the window makes, as the PDF menu shows it: the item of
// the saved kind is checked when the choice is made, and choosing another
// item saves it for this and every later run.
class PdfKindChoice : public QObject
{
    Q_OBJECT

public:
    explicit PdfKindChoice(MainMenuBar &bar, QObject *parent = nullptr);

    PdfKind kind() const { return m_kind; }
    // Off: no item can be chosen (while the window converts or is busy).
    void setEnabled(bool enabled);

    // The kind kept in the settings; Standard when none is, or an unknown one.
    static PdfKind saved();

signals:
    void chosen(PdfKind kind);

private:
    void choose(PdfKind kind);

    MainMenuBar &m_bar;
    PdfKind m_kind = PdfKind::Standard;
};
