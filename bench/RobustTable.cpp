// The table of the proposals of exclusions on simulated sets with several blunders: for each
// size and count of blunders, how often data snooping and the proposal of a run (the robust
// one where it differs) name exactly the points moved, name a clean point, or miss a
// blunder; and the time of the robust search.
//
//   robust_table [--sets N] [--smallest M] [--largest M] [--bend M] [--kind K] [--degree D]
//                [--points N] [--blunders K]   (only the rows of N points, of K blunders)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BlunderSets.h"
#include "transform/RunTransformation.h"

namespace {

struct Tally {
  int exact = 0, clean = 0, missed = 0;
  void Add(const std::vector<ProposedExclusion>& proposal, const std::vector<std::string>& moved) {
    std::vector<std::string> named;
    for (const ProposedExclusion& p : proposal)
      named.emplace_back(p.nr.View());
    std::sort(named.begin(), named.end());
    exact += named == moved ? 1 : 0;
    bool anyClean = false, anyMissed = false;
    for (const std::string& n : named)
      anyClean |= !std::binary_search(moved.begin(), moved.end(), n);
    for (const std::string& m : moved)
      anyMissed |= !std::binary_search(named.begin(), named.end(), m);
    clean += anyClean ? 1 : 0;
    missed += anyMissed ? 1 : 0;
  }
};

double Percent(int count, int sets) {
  return 100.0 * count / sets;
}

}  // namespace

int main(int argc, char** argv) {
  int sets = 30, kind = 1, degree = 1;
  long double smallest = 0.08L, largest = 0.30L, bend = 0.02L;
  int onlyPoints = 0, onlyBlunders = -1;
  for (int i = 1; i < argc; i += 2) {
    const std::string option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : "";
    // atoi and strtold give 0 for a value that is no number: the checks below refuse it.
    if (option == "--sets")
      sets = std::atoi(value);
    else if (option == "--smallest")
      smallest = std::strtold(value, nullptr);
    else if (option == "--largest")
      largest = std::strtold(value, nullptr);
    else if (option == "--kind")
      kind = std::atoi(value);
    else if (option == "--degree")
      degree = std::atoi(value);
    else if (option == "--bend")
      bend = std::strtold(value, nullptr);
    else if (option == "--points")
      onlyPoints = std::atoi(value);
    else if (option == "--blunders")
      onlyBlunders = std::atoi(value);
    else
      sets = 0;
  }
  if (sets < 1 || kind < 1 || kind > 2 || degree < 1 || degree > 9 || !(largest >= smallest)) {
    std::fprintf(stderr,
                 "robust_table [--sets N] [--smallest M] [--largest M] [--bend M] [--kind 1|2]"
                 " [--degree 1..9] [--points N] [--blunders K]\n");
    return 2;
  }
  const std::pair<int, int> cases[] = {{20, 0},     {20, 1},     {20, 2},    {20, 4},   {20, 6},
                                       {50, 0},     {50, 5},     {50, 10},   {50, 15},  {200, 0},
                                       {200, 1},    {200, 20},   {200, 40},  {200, 60}, {1000, 0},
                                       {1000, 100}, {1000, 200}, {1000, 300}};
  std::printf("%5s %4s %5s | %21s | %21s | %8s %8s\n", "n", "k", "sets", "data snooping",
              "proposal", "robust", "ms/set");
  std::printf("%5s %4s %5s | %6s %6s %7s | %6s %6s %7s | %8s\n", "", "", "", "exact", "clean",
              "missed", "exact", "clean", "missed", "chosen");
  TransformationWork work;
  for (const auto& [n, k] : cases) {
    if ((onlyPoints && n != onlyPoints) || (onlyBlunders >= 0 && k != onlyBlunders)) continue;
    Tally snooping, proposal;
    int robustChosen = 0;
    double seconds = 0;
    for (int s = 0; s < sets; ++s) {
      BlunderSetShape shape;
      shape.points = n;
      shape.blunders = k;
      shape.smallest = smallest;
      shape.largest = largest;
      shape.bend = bend;
      const BlunderSet set = MakeBlunderSet(shape, 1000003ULL * n + 1009ULL * k + s);
      auto input = std::make_shared<TransformationInput>();
      input->opened = true;
      input->points = set.points;
      const auto start = std::chrono::steady_clock::now();
      const auto r =
          ComputeTransformation({kind, degree, 4}, input, nullptr, {1, 0, false, {}}, work);
      seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      snooping.Add(r->snooping, set.moved);
      proposal.Add(r->Proposal(), set.moved);
      robustChosen += r->robustProposal ? 1 : 0;
    }
    std::printf("%5d %4d %5d | %6.1f %6.1f %7.1f | %6.1f %6.1f %7.1f | %8.1f %8.2f\n", n, k, sets,
                Percent(snooping.exact, sets), Percent(snooping.clean, sets),
                Percent(snooping.missed, sets), Percent(proposal.exact, sets),
                Percent(proposal.clean, sets), Percent(proposal.missed, sets),
                Percent(robustChosen, sets), 1000 * seconds / sets);
    std::fflush(stdout);
  }
  return 0;
}
