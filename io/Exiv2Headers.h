#pragma once
// Exiv2 0.27 declares std::auto_ptr in its interface, which C++17 and later
// mark deprecated; its headers are included here with that warning off.

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/basicio.hpp>
#include <exiv2/error.hpp>
#include <exiv2/exif.hpp>
#include <exiv2/image.hpp>
#include <exiv2/iptc.hpp>
#include <exiv2/jpgimage.hpp>
#include <exiv2/tags.hpp>
#include <exiv2/xmp_exiv2.hpp>
#pragma GCC diagnostic pop
