#include <vexil/RootClass.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vexil_test {

class TestShape : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
};
VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(TestShape, Vexil::RootClass)

class TestBox : public TestShape
{
    VEXIL_TYPESYSTEM_HEADER();
};
VEXIL_TYPESYSTEM_SOURCE(TestBox, TestShape)

class TestCube : public TestBox
{
    VEXIL_TYPESYSTEM_HEADER();
};
VEXIL_TYPESYSTEM_SOURCE(TestCube, TestBox)

// Registered under a parent that nobody registers.
class TestOrphan : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
};
VEXIL_TYPESYSTEM_SOURCE(TestOrphan, NoSuchParent)

void registerAll()
{
    TestShape::init();
    TestBox::init();
    TestCube::init();
}

} // namespace vexil_test

using namespace vexil_test;

TEST(TypeRegistry, RegistersUnderParentAndWalksInheritance)
{
    registerAll();
    const Vexil::TypeInfo root = Vexil::TypeInfo::get_type_from_name("Vexil::RootClass");
    const Vexil::TypeInfo cube = Vexil::TypeInfo::get_type_from_name("TestCube");
    ASSERT_FALSE(cube.is_sick());
    EXPECT_EQ(cube, TestCube::getClassTypeId());
    EXPECT_EQ(cube.get_parent(), TestBox::getClassTypeId());
    EXPECT_TRUE(cube.is_inherited_from(TestShape::getClassTypeId()));
    EXPECT_TRUE(cube.is_inherited_from(root));
    EXPECT_FALSE(TestShape::getClassTypeId().is_inherited_from(cube));
    EXPECT_FALSE(cube.is_inherited_from(Vexil::TypeInfo::sick_type()));

    EXPECT_EQ(Vexil::TypeInfo::get_all_derived_from(TestBox::getClassTypeId()),
              (std::vector<Vexil::TypeInfo>{TestBox::getClassTypeId(), cube}));
}

TEST(TypeRegistry, RefusesUnknownParentsAndNamesCleanly)
{
    TestOrphan::init();
    EXPECT_TRUE(TestOrphan::getClassTypeId().is_sick());
    EXPECT_TRUE(Vexil::TypeInfo::get_type_from_name("TestOrphan").is_sick());
    EXPECT_TRUE(Vexil::TypeInfo::get_type_from_name("Nothing::Here").is_sick());
    EXPECT_TRUE(Vexil::TypeInfo::get_type_from_name(nullptr).is_sick());
    EXPECT_EQ(Vexil::TypeInfo::build_instance_by_name("Nothing::Here"), nullptr);
    EXPECT_FALSE(Vexil::TypeInfo::sick_type().is_inherited_from(Vexil::RootClass::getClassTypeId()));
}

TEST(TypeRegistry, RegisteringTwiceKeepsTheFirstType)
{
    registerAll();
    const int before = Vexil::TypeInfo::get_num_types();
    const Vexil::TypeInfo first = TestBox::getClassTypeId();
    TestBox::init();
    const Vexil::TypeInfo again =
        Vexil::TypeInfo::create_type(Vexil::RootClass::getClassTypeId(), "TestBox", nullptr);
    EXPECT_EQ(again, first);
    EXPECT_EQ(again.get_parent(), TestShape::getClassTypeId());   // not re-parented
    EXPECT_EQ(Vexil::TypeInfo::get_num_types(), before);
}

TEST(TypeRegistry, BuildsConcreteClassesByName)
{
    registerAll();
    std::unique_ptr<Vexil::RootClass> box(Vexil::TypeInfo::build_instance_by_name("TestBox"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->getTypeId(), TestBox::getClassTypeId());
    EXPECT_TRUE(box->is_inherited_from(TestShape::getClassTypeId()));
    std::unique_ptr<Vexil::RootClass> cube(TestCube::getClassTypeId().build_instance());
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->getTypeId(), TestCube::getClassTypeId());

    EXPECT_EQ(Vexil::TypeInfo::build_instance_by_name("TestShape"), nullptr);         // abstract
    EXPECT_EQ(Vexil::TypeInfo::build_instance_by_name("Vexil::RootClass"), nullptr);  // no create
}
