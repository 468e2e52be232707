#pragma once

#include <QUrl>

// The web pages the program opens. The addresses are a packager's to change: they come from the
// CMake option VELMORA_WEB_ADDRESSES (see src/base/CMakeLists.txt), in the order of this enum.
enum class WebAddress {
    OtherProduct1,
    OtherProduct2,
    OtherProduct3,
    UploadPage,
};

QUrl webAddress(WebAddress which);
