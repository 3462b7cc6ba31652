#pragma once

#include <memory>
#include <vector>

#include "rip/AudioFile.h"
#include "rip/DiscLayout.h"
#include "sound/DiscAudio.h"

namespace discdeck {

// The sound of a laid-out sheet: the audio stretches read from their files, silence elsewhere.
class SheetAudio : public DiscAudio {
  public:
    // files[i] holds CueSheet::files[i]; a null one sounds as silence.
    SheetAudio(std::vector<std::unique_ptr<AudioFile>> files, std::vector<AudioSpan> spans);

    bool Read(uint64_t firstSample, uint32_t count, uint8_t* out) override;

  private:
    std::vector<std::unique_ptr<AudioFile>> files;
    std::vector<AudioSpan> spans;  // in disc order, not overlapping
};

}  // namespace discdeck
