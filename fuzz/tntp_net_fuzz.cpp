// Fuzz target: arbitrary bytes as a TNTP net file. The importer's reader
// checks them; a net it accepts must keep what the converter relies on, and
// the input file converted from it (without trips) must be one the program's
// own reader accepts with the same values.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tools/tntp2input/input_file.h"
#include "tools/tntp2input/tntp_reader.h"

namespace fw {
namespace {

// A number keeps its reading: its text is its own shortest form, and reads
// back to the same value.
void CheckNumber(const TntpNumber& number) {
  TntpNumber again;
  Require(ParseTntpNumber(number.text, &again));
  Require(again.text == number.text && again.value == number.value);
  Require(std::isfinite(std::strtof(number.text.c_str(), nullptr)));
}

// What the reader promises of every net it accepts.
void CheckNet(const TntpNet& net) {
  Require(net.nodes >= 1 && net.zones >= 0 && net.zones <= net.nodes);
  Require(net.first_thru_node >= 0 && net.first_thru_node <= net.nodes + 1);
  Require(static_cast<int>(net.links.size()) == net.declared_links);
  for (const TntpLink& link : net.links) {
    Require(link.tail >= 1 && link.tail <= net.nodes && link.head >= 1 && link.head <= net.nodes);
    for (const TntpNumber* number : {&link.capacity, &link.length, &link.free_flow_time, &link.b, &link.power,
                                     &link.speed, &link.toll, &link.link_type}) {
      CheckNumber(*number);
    }
    Require(link.capacity.value > 0.0);
    for (const TntpNumber* number : {&link.length, &link.free_flow_time, &link.b, &link.power, &link.speed}) {
      Require(number->value >= 0.0);
    }
  }
}

float Single(const std::string& text) { return std::strtof(text.c_str(), nullptr); }

// The converted file, read by the program: every link as the net states it.
// The one refusal the importer warns of instead: a capacity that single
// precision reads as 0, which a power-law link cannot divide by.
void CheckConverted(const TntpNet& net) {
  const InputFile input = BuildInput(net, TntpTrips{}, RunParameters{}, true);
  if (!CheckTables(input).ok) return;
  std::ostringstream text;
  WriteInput(input, text);
  const Status s = ReadInputText(text.str());
  bool zero_capacity = false;
  for (const TntpLink& link : net.links) zero_capacity |= Single(link.capacity.text) == 0.0f;
  if (!s.ok) {
    Require(zero_capacity);
    return;
  }
  Require(LinkNumber == static_cast<int>(net.links.size()) && NodeNum == input.node_num && OdpairNum == 0);
  for (int l = 0; l < LinkNumber; ++l) {
    const TntpLink& link = net.links[static_cast<std::size_t>(l)];
    Require(LinkOrigin[l] == link.tail - 1);
    Require(TravelTime[l] == Single(link.free_flow_time.text) && Capacity[l] == Single(link.capacity.text));
    Require(a[l] == Single(link.b.text) && b[l] == Single(link.power.text) && LinkCFType[l] == 1.0f);
  }
}

}  // namespace
}  // namespace fw

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  fw::TntpNet net;
  std::vector<std::string> warnings;
  const fw::Status s = fw::ReadTntpNet(in, "net.tntp", &net, &warnings);
  for (const std::string& warning : warnings) fw::RequireOneLine(warning);
  if (!s.ok) {
    fw::RequireOneLine(s.message);
    return 0;
  }
  fw::CheckNet(net);
  fw::CheckConverted(net);
  return 0;
}
