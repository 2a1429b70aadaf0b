#pragma once

#include <QSettings>

#include <memory>

// The program's own settings, kept from one run to the next. An application
// that names no organisation (Pagora names none) files them under its own
// name: QSettings refuses an empty organisation.
std::unique_ptr<QSettings> ProgramSettings();
