#include "platform/virtualcam/VirtualCameraDeclaration.h"

#include <algorithm>
#include <charconv>

namespace kamsel::virtualcam {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

char Lower(char letter) {
    return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
}

// lowerCase is written in small letters.
bool EqualsNoCase(std::string_view text, std::string_view lowerCase) {
    return text.size() == lowerCase.size() && std::equal(text.begin(), text.end(), lowerCase.begin(),
                                                         [](char a, char b) { return Lower(a) == b; });
}

bool EndsWithNoCase(std::string_view text, std::string_view lowerCaseEnding) {
    return text.size() >= lowerCaseEnding.size() &&
           EqualsNoCase(text.substr(text.size() - lowerCaseEnding.size()), lowerCaseEnding);
}

VirtualCameraDeclaration::Source SourceOf(std::string_view path) {
    using Source = VirtualCameraDeclaration::Source;
    if (EndsWithNoCase(path, ".y4m"))
        return Source::Y4mFile;
    if (EndsWithNoCase(path, ".mjpeg") || EndsWithNoCase(path, ".mjpg"))
        return Source::MjpegFile;
    return Source::OtherFile;
}

constexpr std::string_view kPatternPrefix = "pattern@";

bool IsPatternWithRate(std::string_view source) {
    return source.size() >= kPatternPrefix.size() &&
           EqualsNoCase(source.substr(0, kPatternPrefix.size()), kPatternPrefix);
}

// The rate of "pattern@RATE", or 0 when the text is not such a source or its
// rate is no number in range.
int PatternRate(std::string_view source) {
    constexpr std::string_view prefix = kPatternPrefix;
    if (!IsPatternWithRate(source))
        return 0;
    const std::string_view digits = source.substr(prefix.size());
    int rate = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), rate);
    if (error != std::errc() || end != digits.data() + digits.size())
        return 0;
    return rate >= 1 && rate <= VirtualCameraDeclaration::kMaxPatternRate ? rate : 0;
}

VirtualCameraDeclaration ParseEntry(std::string_view entry) {
    VirtualCameraDeclaration declaration;
    const std::size_t equals = entry.find('=');
    declaration.name = std::string(entry.substr(0, equals));
    if (equals == std::string_view::npos)
        return declaration;
    const std::string_view source = TrimBlanks(entry.substr(equals + 1));
    if (source.empty() || EqualsNoCase(source, "pattern"))
        return declaration;
    if (const int rate = PatternRate(source); rate != 0) {
        declaration.framesPerSecond = rate;
        return declaration;
    }
    declaration.source =
        IsPatternWithRate(source) ? VirtualCameraDeclaration::Source::BadPatternRate : SourceOf(source);
    declaration.path = std::string(source);
    return declaration;
}

} // namespace

std::vector<VirtualCameraDeclaration> VirtualCameraDeclaration::Parse(std::string_view text) {
    std::vector<VirtualCameraDeclaration> declarations;
    while (!text.empty()) {
        const std::size_t separator = text.find(';');
        const std::string_view entry = text.substr(0, separator);
        text.remove_prefix(separator == std::string_view::npos ? text.size() : separator + 1);
        if (!entry.empty())
            declarations.push_back(ParseEntry(entry));
    }
    return declarations;
}

} // namespace kamsel::virtualcam
