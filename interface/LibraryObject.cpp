#include "interface/LibraryObject.h"

#include <dlfcn.h>

#include "externlib/Adapter.h"
#include "externlib/CallbackWrapper.h"
#include "externlib/HandAdapters.h"
#include "platform/LoadOrder.h"
#include "testlib/ArrayFunctions.h"
#include "testlib/FractalFunctions.h"
#include "testlib/LifeFunctions.h"
#include "testlib/MetaData.h"
#include "testlib/NumericFunctions.h"
#include "testlib/StructFunctions.h"
#include "testlib/TestType.h"

namespace QUON_ExternLib {

using namespace QUON_TestLib;

namespace {
constexpr std::uint64_t kInterfaceVersion = 400;
constexpr const char* kLibraryName = "TestExternalLibrary";
constexpr const char* kBuildConfiguration = "RELEASE";

// The generated adapter and the derived type string of a native function.
template <auto Function>
constexpr AdapterFn kGenerated = &Bind<Function>::Adapter;
template <auto Function>
const char* DerivedType() {
    return Bind<Function>::TypeString();
}
}  // namespace

LibraryObject::LibraryObject() {
    // The version records start as the framework's own version; the builder later names the
    // library's version, and the framework's minimum is lowered to the oldest compatible build.
    descriptor.libraryVersion = zul::VersionInfo(0, 6, 12, "26071");
    descriptor.frameworkVersion = zul::VersionInfo(0, 6, 12, "26071");
    descriptor.frameworkMinVersion = zul::VersionInfo(0, 6, 12, "26071");
    descriptor.interfaceVersion = kInterfaceVersion;
    descriptor.pointerSize = sizeof(void*);
    descriptor.buildConfiguration = kBuildConfiguration;
    descriptor.customTypeCount = 0;
    descriptor.functionCount = 0;
    descriptor.frameworkVersion = zul::VersionInfo(0, 6, 12, "26071");
    descriptor.frameworkMinVersion = zul::VersionInfo(0, 6, 12, "26000");
    TheLibraryContext().typeRegistry = &typeRegistry;
    TheLibraryContext().libraryData = [] { return TheLibrary().Data(); };
}

void LibraryObject::Bind(ParentContext* context) {
    parentContext = context;
    LibraryContext& binding = TheLibraryContext();
    binding.parentContext = context;
    binding.returnHostCell =
        reinterpret_cast<QuonHostReturnCellFn>(dlsym(RTLD_DEFAULT, kQuonHostReturnCellSymbol));
}

LibraryDescriptor* LibraryObject::Data() {
    if (built) return &descriptor;
    Build();
    Append<&LibDataLive>("_libData_", "Get the library meta-data.");
    Publish();
    built = true;
    return &descriptor;
}

void LibraryObject::Build() {
    // A build that an allocation failure cut short left rows behind; a retry starts afresh.
    functionTable.clear();
    customTypeTable.clear();
    descriptor.libraryName = kLibraryName;
    descriptor.libraryVersion = zul::VersionInfo(0, 6, 5, "abc");
    // Registered before any row: the derived texts that name TestType look it up.
    RegisterCustomType(typeid(TestType), TestTypeRow());

    constexpr const char* kPrintType = "(TestType->String)";  // one text for the four literal rows
    constexpr AdapterFn print = &HandTextAdapter<TestType, &Print>;
    constexpr AdapterFn printnc = &HandPooledTextAdapter<TestType, &PrintNc>;

    Append<&LibData>("__libData__", "test desc...");
    Append<&LibData2>("__libData2__", "test desc...");
    Append<&LibData3>("__libData3__", "test desc...");
    AppendFunction({"test1", kGenerated<&Test>, "( -> Float )", "test desc..."});
    Append<&Test>("test", "test desc...");
    Append<&Sqrt>("sqrt", "sqrt desc...");
    AppendFunction({"sqrtC", &HandFloatAdapter<&Sqrt>, "(Float -> Float)", "sqrtFnC desc..."});
    Append<&Simple>("simple", "simple desc...");
    Append<&Strlen>("strlen", "strlen desc...");
    Append<&StrlenPtr>("strlenPtr", "strlenPtr desc...");
    Append<&Repstr>("repstr", "repstr desc...");
    Append<&Xor>("xor", "xor desc...");
    Append<&Maxint>("maxint", "maxint desc...");
    Append<&StringAdd>("stringAdd", "stringAdd desc...");
    Append<&Num2test>("num2test", "num2test desc...");
    Append<&Test2num>("test2num", "test2num desc...");
    Append<&GetArrayLen>("getArrayLen", "getArrayLen desc...");
    Append<&GetArraySum>("getArraySum", "getArraySum desc...");
    Append<&GetRandomArray>("getRandomArray", "getRandomArray desc...");
    Append<&GetArraySeq>("getArraySeq", "getArraySeq desc...");
    Append<&RecursiveSum>("recursiveSum", "recursiveSum desc...");
    // The element count sits in the same place for every array: getArrayLen's adapter serves.
    AppendFunction(
        {"getArrayLenF", kGenerated<&GetArrayLen>, DerivedType<&GetArrayLenF>(), "getArrayLen desc..."});
    Append<&GetArraySumS>("getArraySumS", "getArraySum desc...");
    Append<&IntArr2strArr>("intArr2strArr", "intArr2strArr desc...");
    Append<&MandelEscape>("mandel_escape", "mandelbrot escape fn...");
    Append<&MandelEscapeInt>("mandel_escape_int", "mandelbrot escape fn...");
    Append<&JuliaEscapeInt>("julia_escape_int", "julia escape fn...");
    Append<&LifeNextCell>("lifeNextCell", "lifeNextCell desc...",
                          "( Array[Array[Int]] * Int * Int -> Int )");
    Append<&LifeNextStep>("lifeNextStep", "lifeNextStep desc...",
                          "( Array[Array[Int]] * Int * Int -> Array[Array[Int]] )");
    Append<&LifeTableToString>("lifeTableToString", "lifeTableToString desc...",
                               "( Array[Array[Int]] -> String )");
    Append<&ReadStruct>("readStruct", "read struct example...");
    Append<&CreateStruct>("createStruct", "return struct example...");
    Append<&CreateStructArray>("createStructArray", "return struct array example...",
                               "( Int -> Array[Record[intAttr1:Int, intAttr2:Int]])");
    Append<&GetRandomMatrix>("getRandomMatrix", "getRandomMatrix desc...",
                             "( Int * Int * Int -> Array[Array[Int]] )");
    Append<&SumMatrixRows>("sumMatrixRows", "sumMatrixRows desc...", "( Array[Array[Int]] -> Array[Int] )");
    AppendFunction({"print", print, kPrintType, "Print test type to string."});
    AppendFunction({"printnc", printnc, kPrintType, "Print test type to string."});
    AppendFunction({"printnc1", printnc, kPrintType, "printnc desc..."});
    AppendFunction({"print1", print, kPrintType, "print desc..."});
    AppendFunction({"printnc2", printnc, DerivedType<&PrintNc>(), "printnc desc..."});
    AppendFunction({"print2", print, DerivedType<&Print>(), "print desc..."});
    Append<&Test0a>("test0a", "...");
    Append<&Test1a>("test1a", "...");
    Append<&TestArr>("testArr", "...");
}

template <auto Function>
void LibraryObject::Append(const char* name, const char* description, const char* literalType) {
    AppendFunction({name, kGenerated<Function>,
                    literalType != nullptr ? literalType : DerivedType<Function>(), description});
}

void LibraryObject::Publish() {
    // Appending may move the rows, so the pointers are published only after the last append.
    descriptor.functionCount = functionTable.size();
    descriptor.functions = functionTable.data();
    descriptor.customTypeCount = customTypeTable.size();
    descriptor.customTypes = customTypeTable.data();
}

void LibraryObject::RegisterCustomType(std::type_index nativeType, const CustomTypeEntry& row) {
    customTypeTable.push_back(row);
    typeRegistry.insert_or_assign(nativeType, row);
}

namespace {
__attribute__((init_priority(QUON_LOAD_ORDER_LIBRARY_OBJECT))) LibraryObject theLibrary;
}

LibraryObject& TheLibrary() {
    return theLibrary;
}

}  // namespace QUON_ExternLib
