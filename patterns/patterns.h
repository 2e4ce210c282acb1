// The pattern routines, one per number. Each draws one step of its figure
// per tick from the state record; families live in their own sources.
#pragma once

#include "engine/saver_state.h"

namespace linesaver {

void Pattern1(Form1& f);
void Pattern2(Form1& f);
void Pattern3(Form1& f);
void Pattern4(Form1& f);
void Pattern5(Form1& f);
void Pattern6(Form1& f);
void Pattern7(Form1& f);
void Pattern8(Form1& f);
void Pattern9(Form1& f);
void Pattern10(Form1& f);
void Pattern11(Form1& f);
void Pattern12(Form1& f);
void Pattern13(Form1& f);
void Pattern14(Form1& f);
void Pattern15(Form1& f);
void Pattern16(Form1& f);
void Pattern17(Form1& f);
void Pattern18(Form1& f);
void Pattern19(Form1& f);
void Pattern20(Form1& f);
void Pattern21(Form1& f);
void Pattern22(Form1& f);
void Pattern23(Form1& f);
void Pattern24(Form1& f);
void Pattern25(Form1& f);
void Pattern26(Form1& f);
void Pattern27(Form1& f);
void Pattern28(Form1& f);
void Pattern29(Form1& f);
void Pattern30(Form1& f);
void Pattern31(Form1& f);
void Pattern32(Form1& f);
void Pattern33(Form1& f);
void Pattern34(Form1& f);
void Pattern35(Form1& f);
void Pattern36(Form1& f);
void Pattern37(Form1& f);
void Pattern38(Form1& f);
void Pattern39(Form1& f);
void Pattern40(Form1& f);
void Pattern41(Form1& f);
void Pattern42(Form1& f);
void Pattern43(Form1& f);
void Pattern44(Form1& f);
void Pattern45(Form1& f);
void Pattern46(Form1& f);
void Pattern47(Form1& f);
void Pattern48(Form1& f);
void Pattern49(Form1& f);
void Pattern50(Form1& f);
void Pattern51(Form1& f);
void Pattern52(Form1& f);
void Pattern53(Form1& f);
void Pattern54(Form1& f);
void Pattern55(Form1& f);
void Pattern56(Form1& f);
void Pattern57(Form1& f);
void Pattern58(Form1& f);
void Pattern59(Form1& f);
void Pattern60(Form1& f);
void Pattern61(Form1& f);

} // namespace linesaver
