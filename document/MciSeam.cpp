#include "MciSeam.h"

namespace {

const MciSeam realSeam = {mciSendCommandA, sndPlaySoundA};
const MciSeam* currentSeam = &realSeam;

}  // namespace

const MciSeam& RealMciSeam() { return realSeam; }

const MciSeam& CurrentMciSeam() { return *currentSeam; }

void InstallMciSeam(const MciSeam* seam) { currentSeam = seam ? seam : &realSeam; }
