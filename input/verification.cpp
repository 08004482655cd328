#include "input/verification.hpp"

#include "text/format.hpp"
#include "text/render.hpp"

namespace cuplo::input {
namespace {

const text::Format kEquivalentStripsFormat{
    R"fmt((/,6X,'Effective  Strip  Widths : Even Mode,WTE=',F7.4,'"',';Odd Mode,WTO=',F7.4,'"',/,)fmt"
    R"fmt(6X,'Equiv. Single Strip Ratio: ','Even Mode,Wse/H=',F6.4,';Odd Mode,Wso/H=',F6.4,/,)fmt"
    R"fmt(6X,'Wheeler`s Impedances:',13X,'ZOEAP=',F8.3,' Ohms;ZOOAP=',F8.3,' Ohms'))fmt"};

const text::Format kHammerstadJensenFormat{
    R"fmt((6X,'Hammerstead & Jensen`s Impedances:ZOEAP=',F8.3,' Ohms;ZOOAP=',F8.3,' Ohms'))fmt"};

}  // namespace

void VerificationPrints::equivalent_strips(const models::LcImpTrace& t) const {
  text::write(console_, kEquivalentStripsFormat,
              {t.wte, t.wto, t.whe, t.who, t.zoeap_wheeler, t.zooap_wheeler});
}

void VerificationPrints::pair_impedances(float zoeap, float zooap) const {
  text::write(console_, kHammerstadJensenFormat, {zoeap, zooap});
}

}  // namespace cuplo::input
