// sCaptureOutput: what a capture's output name asks for. The name decides
// the format:
//   FILE.mp4, FILE.mov, FILE.mkv  H.264 and AAC in that container;
//   DIR/NAME%05d.png              an image sequence: every frame a PNG,
//                                 numbered from 0 with that many digits
//                                 (%01d to %09d), and the sound beside them
//                                 as DIR/NAME.wav. The sequence owns DIR.
// Any other name is refused with the line that says what is accepted.
//
//     sCaptureOutput output;
//     if (!parseCaptureOutput("shots/take%05d.png", output, problem)) ... exit 2
//     output.owned                         // "shots": what the capture replaces
//     sequenceFrameName("shots/take", 5, 12) // "shots/take00012.png"
//     partFileName("show.mp4", 2, 4)        // "show-part2of4.mp4"
#pragma once

#include <cstdint>
#include <string>

enum class eCaptureFormat { mp4, mov, mkv, pngSequence };

struct sCaptureOutput {
    eCaptureFormat format = eCaptureFormat::mp4;
    // The file (a container) or the sequence's folder: what the capture
    // writes as `owned` + ".part" and renames when it is done.
    std::string owned;
    // An image sequence: the file name before the number ("take"), the
    // number's digits, and the sound's file name ("take.wav").
    std::string prefix;
    int digits = 0;
    std::string soundName;

    bool isSequence() const { return format == eCaptureFormat::pngSequence; }
    // The container's name for the muxer ("mp4", "mov", "matroska").
    const char* container() const;
};

bool parseCaptureOutput(const std::string& name, sCaptureOutput& output, std::string& problem);

// Whether `fileName` (no folder) is one the sequence writes: its frames and
// its sound.
bool isSequenceFile(const sCaptureOutput& output, const std::string& fileName);

// Frame n of a sequence: `prefix` (folder included) + n in `digits` digits
// (more when n needs them) + ".png".
std::string sequenceFrameName(const std::string& prefix, int digits, std::int64_t n);

// The file that part k of n of a split capture into `file` is rendered
// into: "-partKofN" before the extension.
std::string partFileName(const std::string& file, int k, int n);
