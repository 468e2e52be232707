// An audio file as the user may choose it: the quick test the window makes on its thread, then
// the bounded measuring. A length that is measured is finite and positive.
#include "FuzzInput.h"

#include "media/AudioLength.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzFile file(data, size);
    probeAudioFile(file.path());
    const AudioLengthResult result = measureAudioLength(file.path(), nullptr, 5000);
    if (result.status == AudioLengthResult::Measured && !(std::isfinite(result.seconds) && result.seconds > 0))
        std::abort();
    return 0;
}
