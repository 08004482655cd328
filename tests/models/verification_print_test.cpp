// The verification-mode records of the equivalent-strip pair model, byte for byte as a
// reference run printed them for the synthesized 50 ohm, 3 dB four-strip coupler (er 9.8,
// h 0.025, t 0.0002): lcimp once on the substrate, then lcpv's two calls (substrate, air).
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "models/constants.hpp"
#include "models/coupled.hpp"

namespace {

using namespace cuplo::models;

constexpr float kEr = 9.8f, kH = 0.025f, kT = 0.0002f;
constexpr float kW = 0x1.8b7cb4p-10f;  // synthesized width and spacing, as the synthesis left them
constexpr float kS = 0x1.0309e2p-9f;

const std::string kSubstrateBlock =
    "\r\n"
    "      Effective  Strip  Widths : Even Mode,WTE= 0.0019\";Odd Mode,WTO= 0.0021\"\r\n"
    "      Equiv. Single Strip Ratio: Even Mode,Wse/H=0.2155;Odd Mode,Wso/H=2.9041\r\n"
    "      Wheeler`s Impedances:             ZOEAP= 176.408 Ohms;ZOOAP=  52.539 Ohms\r\n"
    "      Hammerstead & Jensen`s Impedances:ZOEAP= 176.199 Ohms;ZOOAP=  52.627 Ohms\r\n";
const std::string kAirBlock =
    "\r\n"
    "      Effective  Strip  Widths : Even Mode,WTE= 0.0019\";Odd Mode,WTO= 0.0021\"\r\n"
    "      Equiv. Single Strip Ratio: Even Mode,Wse/H=0.2155;Odd Mode,Wso/H=3.8696\r\n"
    "      Wheeler`s Impedances:             ZOEAP= 433.594 Ohms;ZOOAP= 116.901 Ohms\r\n"
    "      Hammerstead & Jensen`s Impedances:ZOEAP= 433.587 Ohms;ZOOAP= 118.076 Ohms\r\n";

struct Printed {
  std::string console;
  float zoeap;
  float zooap;
};

Printed analyse(std::int32_t istore) {
  float wte = 0.0f, wto = 0.0f;
  lcwta(kEr, kH, kS, kT, kW, wte, wto);
  std::ostringstream console;
  MsImp1 msimp1;
  std::int32_t iflag = -1;
  Printed result{"", 0.0f, 0.0f};
  lcimp(kEr, kH, 1, iflag, istore, 4, kS, wte, wto, result.zoeap, result.zooap, msimp1, console);
  float effc = 0.0f, effe = 0.0f, effo = 0.0f;
  lcpv(effc, effe, effo, kEr, kH, 4, kS, kT, kW, wte, wto, istore, msimp1, console);
  result.console = console.str();
  return result;
}

TEST(LcimpVerificationPrint, RendersTheReferenceRecords) {
  const Printed verified = analyse(kVerificationCode);
  EXPECT_EQ(verified.console, kSubstrateBlock + kSubstrateBlock + kAirBlock);
  // The Wheeler values are printed only: the results are Hammerstad-Jensen's.
  const Printed plain = analyse(0);
  EXPECT_EQ(verified.zoeap, plain.zoeap);
  EXPECT_EQ(verified.zooap, plain.zooap);
}

TEST(LcimpVerificationPrint, NothingOutsideVerificationMode) {
  for (const std::int32_t istore : {0, 1, 2, -416, -418}) {
    EXPECT_EQ(analyse(istore).console, "") << "istore " << istore;
  }
}

}  // namespace
