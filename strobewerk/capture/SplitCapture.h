// cSplitCapture: a capture rendered in parts and joined into one file.
//
// `--jobs N` renders the N parts here, side by side (cPartJobs), each into
// FILE-partKofN.EXT, and joins them; `--join N` joins parts rendered
// elsewhere (`--part K/N` on other machines) with the same options. The
// join copies the parts' video as it is, in order, checking that each is
// the part it should be (its tag) and holds exactly its frames, and
// encodes the soundtrack's samples of the whole range once, so the file
// has the range's frames and samples with nothing at the joins.
//
// The output is claimed as any capture's (cOutputClaim). A split capture
// stopped by a signal joins what its parts did from the start of the range
// on: the whole parts and the stopped part that follows them. Parts that
// cannot be joined are kept and the line says so; a --jobs capture removes
// its parts once they are joined.
//
//     cSplitCapture split(plan, output, sound);
//     return split.run(options);     // the exit code, as runCapture's
#pragma once

#include <string>
#include <vector>

#include "strobewerk/Options.h"
#include "strobewerk/capture/CaptureOutput.h"
#include "strobewerk/capture/CapturePlan.h"

class cSoundtrackRange;

class cSplitCapture {
public:
    cSplitCapture(const sCapturePlan& plan, const sCaptureOutput& output, cSoundtrackRange& sound);

    int run(const sOptions& options);

private:
    // Joins parts 1..count of `parts` into `path`; `stopped`: the last may
    // be short. Returns the frames joined, or -1 with `line` set.
    std::int64_t join(const std::string& path, int parts, int count, bool stopped, std::string& line);
    void removeParts(int parts) const;
    // The line refusing a --jobs capture whose part names exist; "" when
    // none does.
    std::string claimParts(int parts) const;

    sCapturePlan plan;
    sCaptureOutput output;
    cSoundtrackRange& sound;
    // Which parts this run wrote (only those are removed).
    std::vector<bool> wrote;
};
