#pragma once

// The page the About box's link opens: the README installed with the program, until the
// project has a web address of its own.
inline constexpr const char* kHomePage = "file://" TOVIN_DOC_DIR "/README.md";
