#pragma once

// Texts the application's windows share.
namespace app_texts {
constexpr const char* kApplicationName = "Meshgate2";
constexpr const char* kWindowTitle = "Vorn Meshgate2 Configurator - Ver : 2.0.2.4 (16/04/14)";
constexpr const char* kAboutItem = "&About Meshgate2...";
constexpr unsigned kAboutCommand = 0x0010;
} // namespace app_texts
