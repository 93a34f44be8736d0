#include "install/RapiTool.h"

#include <array>
#include <string_view>

namespace cvn {

namespace {

// The probe images are Windows CE executables built with a device compiler, which
// this tree's tool chain does not have. Until they are supplied, each image is its
// family's tag padded with zeros to the image's size: the transfer, the start on the
// device and the read-back work the same, and a device that cannot start the tag
// gives no platform (the connection then reports failure, as for an unknown family).
template <size_t N> constexpr std::array<uint8_t, N> TaggedImage(std::string_view tag) {
    std::array<uint8_t, N> image{};
    for (size_t i = 0; i < tag.size() && i < N; ++i)
        image[i] = uint8_t(tag[i]);
    return image;
}

constexpr auto kArmImage = TaggedImage<4096>("CVNPROBE ARM");
constexpr auto kMipsImage = TaggedImage<4608>("CVNPROBE MIPS");
constexpr auto kSh3Image = TaggedImage<4096>("CVNPROBE SH3");
constexpr auto kSh4Image = TaggedImage<4096>("CVNPROBE SH4");

} // namespace

std::span<const uint8_t> DeviceProbeImage(TProcessorFamily family) {
    switch (family) {
    case TProcessorFamily::Arm:
        return kArmImage;
    case TProcessorFamily::Mips:
        return kMipsImage;
    case TProcessorFamily::Sh3:
        return kSh3Image;
    case TProcessorFamily::Sh4:
        return kSh4Image;
    default:
        return {};
    }
}

} // namespace cvn
