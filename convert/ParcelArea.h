// The area of a record from its transformed boundary, in hectares.
#pragma once

#include <vector>

// X and Y hold the boundary in entries 1..k, entry k closing the ring on entry 1; entry 0
// is scratch. The shoelace sum runs over entries 1..k-1 after shifting the ring to entry 1
// (which keeps the products small): S = sum X[i] (Y[i-1] - Y[i+1]); area = |S / 2| * 0.0001.
// k <= 2 gives 0. The ring is changed.
struct BoundaryRing {
  std::vector<long double> X{0}, Y{0};
};

long double ParcelArea(BoundaryRing& ring, int k);
