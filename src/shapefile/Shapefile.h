#pragma once
// The whole public face of the shapefile library.

#include "CFileName.h"
#include "CMultiPoint.h"
#include "CPart.h"
#include "CPoint.h"
#include "CPolyLine.h"
#include "CPolygon.h"
#include "CRect.h"
#include "CShape.h"
#include "CShapeFile.h"
#include "IShape.h"
#include "ShapeError.h"
