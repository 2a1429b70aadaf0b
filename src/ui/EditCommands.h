#pragma once

class QWidget;

// The standard editing commands of the Edit menu, carried out on the widget
// that has the keyboard focus.
enum class EditCommand { Undo, Cut, Copy, Paste, Clear, SelectAll };

// Whether the widget edits or shows text in a way the command applies to now.
bool CanPerformEditCommand(const QWidget *widget, EditCommand command);

// Carries the command out on the widget; does nothing when it does not apply.
void PerformEditCommand(QWidget *widget, EditCommand command);
