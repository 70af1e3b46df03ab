#pragma once

#include "devices/FlashImageHeader.h"

#include <string_view>

namespace dax {

// The identifications and families the devices take images by. The devices' checks and the
// description of a file (flash-info, the refusal reasons) both read them from here.

// The general transporter: identification of both the transporter and its images.
inline constexpr std::string_view kGeneralImageId = "DISC TRANSPORTERVERSION";
// The dual-printer transporter's own firmware.
inline constexpr std::string_view kHalcyraImageId = "QUENTAR CD XPTR VERSION";

// Families, at kImageFamilyOffset.
inline constexpr std::string_view kFamilyBasic = "Velmora";
inline constexpr std::string_view kFamilyDrive3 = "Quentar";
inline constexpr std::string_view kFamilyDrive1Slow = "Tirra2";
inline constexpr std::string_view kFamilyDrive1 = "Tirra ";
inline constexpr std::string_view kFamilyShortAbsent = "morrane1";
inline constexpr std::string_view kFamilyShort = "morrane2";
inline constexpr std::string_view kFamilyTessan = "Tessan ";
inline constexpr std::string_view kFamilyTessan0 = "Tessan0";
inline constexpr std::string_view kFamilyMorrane = "Morrane ";
inline constexpr std::string_view kFamilyMorrane0 = "Morrane0";
inline constexpr std::string_view kFamilyMorrane4 = "morrane4";
inline constexpr std::string_view kFamilyMorrane5 = "morrane5";
inline constexpr std::string_view kFamilyPyrel4 = "pyrel4";
inline constexpr std::string_view kFamilyPyrel5 = "pyrel5";
inline constexpr std::string_view kFamilyHalcyra = "Halcyra";

inline constexpr std::string_view kKnownFamilies[] = {
    kFamilyBasic,        kFamilyDrive3,       kFamilyDrive1Slow, kFamilyDrive1,      kFamilyTessan,
    kFamilyTessan0,      kFamilyMorrane,      kFamilyMorrane0,   kFamilyShortAbsent, kFamilyShort,
    kFamilyMorrane4,     kFamilyMorrane5,     kFamilyPyrel4,     kFamilyPyrel5,      kFamilyHalcyra,
    kFamilyInkographer0, kFamilyInkographer1,
};

// Loader firmware: what the transporter must be for an image with this identification.
enum class LoaderNeeds { QT6400, K6400, K6800, BuiltInPrinter, PlainLoader, BootCapable, Moltrian };

struct LoaderImage {
    size_t offset;
    std::string_view id;
    LoaderNeeds needs;
    // The family a fitting image must have, on and off the Morrane path; empty: any.
    std::string_view morraneFamily;
    std::string_view family;
    // Moltrian: another transporter identification that also takes the image.
    std::string_view alsoFor;
};

// Tried in this order; an image whose identification matches but whose device does not goes on
// to the next row.
inline constexpr LoaderImage kLoaderImages[] = {
    {kImageIdOffset,
     "KORVIX QT6400   VERSION",
     LoaderNeeds::QT6400,
     kFamilyMorrane4,
     kFamilyPyrel4,
     {}},
    {kImageIdOffset,
     "KORVIX 6400     VERSION",
     LoaderNeeds::K6400,
     kFamilyMorrane4,
     kFamilyPyrel4,
     {}},
    {kImageIdOffset,
     "KORVIX 6800     VERSION",
     LoaderNeeds::K6800,
     kFamilyMorrane5,
     kFamilyPyrel5,
     {}},
    {kImageIdOffset, "KORVIX 1400x    VERSION", LoaderNeeds::BuiltInPrinter, {}, {}, {}},
    {kImageIdOffset, "BENCHER 2       VERSION", LoaderNeeds::PlainLoader, {}, {}, {}},
    {kImage240xIdOffset, "Korvix 240x     VERSION", LoaderNeeds::BootCapable, {}, {}, {}},
    {kImage240xIdOffset, "Hue Master 240x VERSION", LoaderNeeds::BootCapable, {}, {}, {}},
    {kImageIdOffset, "Moltrian II E05 ", LoaderNeeds::Moltrian, {}, {}, {}},
    {kImageIdOffset, "Moltrian II P05 ", LoaderNeeds::Moltrian, {}, {}, {}},
    {kImageIdOffset, "Moltrian II E06 ", LoaderNeeds::Moltrian, {}, {}, {}},
    {kImageIdOffset, "Moltrian II P06 ", LoaderNeeds::Moltrian, {}, {}, {}},
    {kImageIdOffset, "Moltrian III E06", LoaderNeeds::Moltrian, {}, {}, "Moltrian II E06 "},
    {kImageIdOffset, "Moltrian III P06", LoaderNeeds::Moltrian, {}, {}, "Moltrian II P06 "},
};

} // namespace dax
