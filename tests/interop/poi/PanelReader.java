// Reads workbooks with Apache POI, as a Java program that opens a report
// would: every cell of every sheet, and every chart's series and axes.
// Prints one JSON object per workbook, one per line:
//   {"workbook": PATH, "sheets": [{"name": N, "cells": [[ROW, COLUMN, KIND, VALUE]]}],
//    "charts": [{"sheet": N, "series": [{"name": F, "x": F, "xCount": K, "y": F, "yCount": K}],
//                "axes": [[ID, POSITION]]}]}
// KIND is "s" for a text, "n" for a number, "d" for a number shown as a
// date or a time (VALUE its day count). A workbook POI cannot read prints
// {"workbook": PATH, "error": TEXT}.
//
//   java -cp CLASSPATH PanelReader WORKBOOK...
import java.io.FileInputStream;
import java.util.List;
import org.apache.poi.ss.usermodel.Cell;
import org.apache.poi.ss.usermodel.CellType;
import org.apache.poi.ss.usermodel.DateUtil;
import org.apache.poi.ss.usermodel.Row;
import org.apache.poi.xddf.usermodel.chart.XDDFChartAxis;
import org.apache.poi.xddf.usermodel.chart.XDDFChartData;
import org.apache.poi.xssf.usermodel.XSSFChart;
import org.apache.poi.xssf.usermodel.XSSFDrawing;
import org.apache.poi.xssf.usermodel.XSSFSheet;
import org.apache.poi.xssf.usermodel.XSSFWorkbook;
import org.openxmlformats.schemas.drawingml.x2006.chart.CTScatterChart;
import org.openxmlformats.schemas.drawingml.x2006.chart.CTScatterSer;

public final class PanelReader {
  private PanelReader() {}

  public static void main(String[] args) {
    for (String path : args) {
      StringBuilder out = new StringBuilder();
      try {
        read(path, out);
      } catch (Exception | Error error) {
        out.setLength(0);
        out.append("{\"workbook\": ").append(quoted(path)).append(", \"error\": ");
        out.append(quoted(error.toString())).append('}');
      }
      System.out.println(out);
    }
  }

  private static void read(String path, StringBuilder out) throws Exception {
    try (FileInputStream in = new FileInputStream(path);
        XSSFWorkbook book = new XSSFWorkbook(in)) {
      out.append("{\"workbook\": ").append(quoted(path)).append(", \"sheets\": [");
      StringBuilder charts = new StringBuilder();
      for (int s = 0; s < book.getNumberOfSheets(); s++) {
        XSSFSheet sheet = book.getSheetAt(s);
        out.append(s == 0 ? "" : ", ").append("{\"name\": ").append(quoted(sheet.getSheetName()));
        out.append(", \"cells\": [");
        boolean first = true;
        for (Row row : sheet) {
          for (Cell cell : row) {
            String kind;
            String value;
            if (cell.getCellType() == CellType.NUMERIC) {
              kind = DateUtil.isCellDateFormatted(cell) ? "d" : "n";
              value = Double.toString(cell.getNumericCellValue());
            } else if (cell.getCellType() == CellType.STRING) {
              kind = "s";
              value = quoted(cell.getStringCellValue());
            } else if (cell.getCellType() == CellType.BLANK) {
              continue;
            } else {
              kind = cell.getCellType().toString();
              value = quoted(cell.toString());
            }
            out.append(first ? "" : ", ").append('[').append(cell.getRowIndex() + 1).append(", ");
            out.append(cell.getColumnIndex() + 1).append(", \"").append(kind).append("\", ");
            out.append(value).append(']');
            first = false;
          }
        }
        out.append("]}");
        XSSFDrawing drawing = sheet.getDrawingPatriarch();
        if (drawing != null) {
          for (XSSFChart chart : drawing.getCharts()) {
            charts.append(charts.length() == 0 ? "" : ", ");
            chart(sheet.getSheetName(), chart, charts);
          }
        }
      }
      out.append("], \"charts\": [").append(charts).append("]}");
    }
  }

  private static void chart(String sheet, XSSFChart chart, StringBuilder out) {
    out.append("{\"sheet\": ").append(quoted(sheet)).append(", \"series\": [");
    // The series as POI's chart model gives them; their names from the part.
    List<XDDFChartData> groups = chart.getChartSeries();
    List<CTScatterChart> scatter = chart.getCTChart().getPlotArea().getScatterChartList();
    boolean first = true;
    for (int g = 0; g < groups.size(); g++) {
      List<XDDFChartData.Series> series = groups.get(g).getSeries();
      for (int i = 0; i < series.size(); i++) {
        XDDFChartData.Series one = series.get(i);
        String name = "";
        if (g < scatter.size() && i < scatter.get(g).sizeOfSerArray()) {
          CTScatterSer ser = scatter.get(g).getSerArray(i);
          if (ser.getTx() != null && ser.getTx().getStrRef() != null) {
            name = ser.getTx().getStrRef().getF();
          }
        }
        out.append(first ? "" : ", ").append("{\"name\": ").append(quoted(name));
        out.append(", \"x\": ").append(quoted(one.getCategoryData().getDataRangeReference()));
        out.append(", \"xCount\": ").append(one.getCategoryData().getPointCount());
        out.append(", \"y\": ").append(quoted(one.getValuesData().getDataRangeReference()));
        out.append(", \"yCount\": ").append(one.getValuesData().getPointCount()).append('}');
        first = false;
      }
    }
    out.append("], \"axes\": [");
    first = true;
    for (XDDFChartAxis axis : chart.getAxes()) {
      out.append(first ? "" : ", ").append('[').append(axis.getId()).append(", ");
      out.append(quoted(axis.getPosition().toString())).append(']');
      first = false;
    }
    out.append("]}");
  }

  private static String quoted(String text) {
    StringBuilder out = new StringBuilder("\"");
    for (char c : (text == null ? "" : text).toCharArray()) {
      if (c == '"' || c == '\\') {
        out.append('\\').append(c);
      } else if (c < 0x20) {
        out.append(String.format("\\u%04x", (int) c));
      } else {
        out.append(c);
      }
    }
    return out.append('"').toString();
  }
}
