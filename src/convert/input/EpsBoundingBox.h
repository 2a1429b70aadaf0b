#pragma once

#include <QString>

#include <atomic>

// The file name of an EPS figure's copy with its bounding box moved up front.
inline const QString kBoundingBoxCopyName = QStringLiteral("gs_bbox_temp.eps");

// True for names that Ghostscript is to convert as a figure, cropped to its
// bounding box: ".eps" in any letter case.
bool IsEpsFigure(const QString &path);

// Ghostscript crops a figure to the "%%BoundingBox:" of its header, but does
// not follow "%%BoundingBox: (atend)" to the trailer: such a figure would come
// out on a whole page. For one, a copy is written into folder in which the
// header's line carries the trailer's box; every other byte is unchanged.
// Returns the path to convert: path itself, or the copy. A file with a binary
// preview header, one without "(atend)", or one whose trailer names no box is
// returned as it is. Reads the file: call it off the GUI thread. Throws
// std::runtime_error when the copy cannot be written.
QString ResolveAtendBoundingBox(const QString &path, const QString &folder);

// The same for an open figure, read at offsets of its own (its file offset
// stays), with the copy written into the open folder as kBoundingBoxCopyName.
// Returns whether it wrote the copy. Stops between two blocks once stop is
// set (RepairStopped, FontRepair.h); throws std::runtime_error when the
// figure cannot be read or the copy cannot be written or would grow past
// the repaired copy's limit.
bool ResolveAtendBoundingBox(int figure, int folder, const std::atomic<bool> *stop = nullptr);
