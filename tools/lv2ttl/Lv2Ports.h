#pragma once

#include "IParam.h"
#include "IPlugBase.h"

#include <cstdint>
#include <ostream>
#include <string>

// The Turtle kolvane-lv2ttl writes for one port of the bundle's description,
// from what the plug-in class made of its parameter table: a parameter's
// name, range, kind, label and display texts as the IParam holds them, so
// whatever a row comes to offer reaches the description without an edit
// here. Prefixes used: lv2, rdf, rdfs, units.

// A Turtle string literal: quotes, backslashes and line breaks escaped.
std::string TurtleString(const std::string& text);

// Exact in a double, and so in the float a host keeps, as a Turtle decimal:
// an exponent would make it an xsd:double, which hosts read back as a
// double atom rather than a control port's float.
std::string TurtleDecimal(double value);

// A parameter's control input. Its properties by kind (integer, toggled,
// enumeration); scale points for every choice of a switch or a list, and
// for each value of another kind that has a display text; its label as
// units:unit, one of LV2's units where the label names one, else a unit of
// its own carrying the label. Switches and lists have no unit.
void WriteControlPort(std::ostream& out, uint32_t index, const char* symbol, const IParam& param);

// A readout's control output: hosts hand its value to the UI as a port
// event after the runs that change it.
void WriteReadoutPort(std::ostream& out, uint32_t index, const IPlugBase::ReadoutInfo& readout);
