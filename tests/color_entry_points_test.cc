// The single-colour entry points as the VM calls them: they return what the
// mapping returns and never touch the environment.
#include <gtest/gtest.h>

#include "ime_graphics/ime_graphics.h"
#include "trap_jni_env.h"

namespace {

TEST(ColorEntryPoints, MatchTheMappingAndCallNoJniFunction) {
  TrapJniEnv vm;
  const jint colors[] = {-1,         -16777216,  16777215,
                         0,          INT32_MIN,  INT32_MAX,
                         0x01FFFFFF, 0x7F336699, static_cast<jint>(0xFF336699)};
  const jclass classes[] = {nullptr, reinterpret_cast<jclass>(0x10)};
  for (jint c : colors) {
    for (jclass cls : classes) {
      EXPECT_EQ(
          Java_com_zarnu_util_ImeGraphics_glSetNightColor(vm.env(), cls, c),
          changeToNightColor(c));
      EXPECT_EQ(Java_com_zarnu_util_ImeGraphics_glSetDayColor(vm.env(), cls, c),
                changeToDayColor(c));
      EXPECT_EQ(
          Java_com_zarnu_util_ImeGraphics_glSetNightColor(nullptr, cls, c),
          changeToNightColor(c));
      EXPECT_EQ(Java_com_zarnu_util_ImeGraphics_glSetDayColor(nullptr, cls, c),
                changeToDayColor(c));
    }
  }
  EXPECT_EQ(
      Java_com_zarnu_util_ImeGraphics_glSetNightColor(vm.env(), nullptr, -1),
      -7829368);
  EXPECT_EQ(Java_com_zarnu_util_ImeGraphics_glSetDayColor(vm.env(), nullptr,
                                                          -16777216),
            -13553359);
  EXPECT_TRUE(vm.trapped().empty()) << vm.trappedNames();
}

}  // namespace
