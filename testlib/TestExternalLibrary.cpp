// TestExternalLibrary's descriptor: TestType, then the 45 rows in their published order, with
// literal or derived texts and the adapters some rows share.
#include "externlib/CallbackWrapper.h"
#include "externlib/HandAdapters.h"
#include "interface/LibraryBuilder.h"
#include "testlib/ArrayFunctions.h"
#include "testlib/FractalFunctions.h"
#include "testlib/LifeFunctions.h"
#include "testlib/MetaData.h"
#include "testlib/NumericFunctions.h"
#include "testlib/StructFunctions.h"
#include "testlib/TestType.h"

namespace QUON_ExternLib {

using namespace QUON_TestLib;

void DescribeLibrary(LibraryBuilder& library) {
    library.Name("TestExternalLibrary", zul::VersionInfo(0, 6, 5, "abc"));
    // Registered before any row: the derived texts that name TestType look it up.
    library.CustomType<TestType>(TestTypeRow());

    constexpr const char* kPrintType = "(TestType->String)";  // one text for the four literal rows
    constexpr AdapterFn print = &HandTextAdapter<TestType, &Print>;
    constexpr AdapterFn printnc = &HandPooledTextAdapter<TestType, &PrintNc>;

    library.Add<&LibData>("__libData__", "test desc...");
    library.Add<&LibData2>("__libData2__", "test desc...");
    library.Add<&LibData3>("__libData3__", "test desc...");
    library.AddRow({"test1", kGenerated<&Test>, "( -> Float )", "test desc..."});
    library.Add<&Test>("test", "test desc...");
    library.Add<&Sqrt>("sqrt", "sqrt desc...");
    library.AddRow({"sqrtC", &HandFloatAdapter<&Sqrt>, "(Float -> Float)", "sqrtFnC desc..."});
    library.Add<&Simple>("simple", "simple desc...");
    library.Add<&Strlen>("strlen", "strlen desc...");
    library.Add<&StrlenPtr>("strlenPtr", "strlenPtr desc...");
    library.Add<&Repstr>("repstr", "repstr desc...");
    library.Add<&Xor>("xor", "xor desc...");
    library.Add<&Maxint>("maxint", "maxint desc...");
    library.Add<&StringAdd>("stringAdd", "stringAdd desc...");
    library.Add<&Num2test>("num2test", "num2test desc...");
    library.Add<&Test2num>("test2num", "test2num desc...");
    library.Add<&GetArrayLen>("getArrayLen", "getArrayLen desc...");
    library.Add<&GetArraySum>("getArraySum", "getArraySum desc...");
    library.Add<&GetRandomArray>("getRandomArray", "getRandomArray desc...");
    library.Add<&GetArraySeq>("getArraySeq", "getArraySeq desc...");
    library.Add<&RecursiveSum>("recursiveSum", "recursiveSum desc...");
    // The element count sits in the same place for every array: getArrayLen's adapter serves.
    library.AddRow(
        {"getArrayLenF", kGenerated<&GetArrayLen>, DerivedType<&GetArrayLenF>(), "getArrayLen desc..."});
    library.Add<&GetArraySumS>("getArraySumS", "getArraySum desc...");
    library.Add<&IntArr2strArr>("intArr2strArr", "intArr2strArr desc...");
    library.Add<&MandelEscape>("mandel_escape", "mandelbrot escape fn...");
    library.Add<&MandelEscapeInt>("mandel_escape_int", "mandelbrot escape fn...");
    library.Add<&JuliaEscapeInt>("julia_escape_int", "julia escape fn...");
    library.Add<&LifeNextCell>("lifeNextCell", "lifeNextCell desc...",
                               "( Array[Array[Int]] * Int * Int -> Int )");
    library.Add<&LifeNextStep>("lifeNextStep", "lifeNextStep desc...",
                               "( Array[Array[Int]] * Int * Int -> Array[Array[Int]] )");
    library.Add<&LifeTableToString>("lifeTableToString", "lifeTableToString desc...",
                                    "( Array[Array[Int]] -> String )");
    library.Add<&ReadStruct>("readStruct", "read struct example...");
    library.Add<&CreateStruct>("createStruct", "return struct example...");
    library.Add<&CreateStructArray>("createStructArray", "return struct array example...",
                                    "( Int -> Array[Record[intAttr1:Int, intAttr2:Int]])");
    library.Add<&GetRandomMatrix>("getRandomMatrix", "getRandomMatrix desc...",
                                  "( Int * Int * Int -> Array[Array[Int]] )");
    library.Add<&SumMatrixRows>("sumMatrixRows", "sumMatrixRows desc...",
                                "( Array[Array[Int]] -> Array[Int] )");
    library.AddRow({"print", print, kPrintType, "Print test type to string."});
    library.AddRow({"printnc", printnc, kPrintType, "Print test type to string."});
    library.AddRow({"printnc1", printnc, kPrintType, "printnc desc..."});
    library.AddRow({"print1", print, kPrintType, "print desc..."});
    library.AddRow({"printnc2", printnc, DerivedType<&PrintNc>(), "printnc desc..."});
    library.AddRow({"print2", print, DerivedType<&Print>(), "print desc..."});
    library.Add<&Test0a>("test0a", "...");
    library.Add<&Test1a>("test1a", "...");
    library.Add<&TestArr>("testArr", "...");
    library.Add<&LibDataLive>("_libData_", "Get the library meta-data.");
}

}  // namespace QUON_ExternLib
