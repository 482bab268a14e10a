#pragma once

#include <string>

namespace corvane {

enum class MessageIcon { Information, Exclamation, Question };

// A message box as the window's rules ask for it; the view draws it in its toolkit's way.
struct Message {
    std::string text;  // UTF-8; the system's own texts break lines with "\r\n" or a lone "\r"
    std::string caption;
    MessageIcon icon = MessageIcon::Exclamation;
};

inline constexpr const char* MessageCaption = "Audio Parameter Update";

}  // namespace corvane
