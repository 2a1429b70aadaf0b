#pragma once

// The program's version, as --version prints it and the window reports it.
inline constexpr const char *kPagoraVersion = "1.0.0";
