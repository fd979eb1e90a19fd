{ Builds the help file VELTRANA.chm from the pages and the table of contents in this folder.
  Usage: GenerateHelp <project file> <output .chm>
  The project file names the pages, the table of contents and the context numbers; paths in it
  are relative to the project file's folder. }
program GenerateHelp;

{$mode objfpc}{$H+}

uses
  Classes, SysUtils, chmwriter;

type
  THelpProject = class
    SourceDir: String;
    Title, DefaultPage, TocFile: String;
    Pages: TStringList;
    ContextIds: TStringList;  { "<number>=<page>" }
    constructor Create;
    destructor Destroy; override;
    procedure Load(const FileName: String);
    function GetFileData(const DataName: String; out PathInChm: String; out FileName: String;
      var Stream: TStream): Boolean;
    procedure AppendToc(Sender: TObject);
  end;

constructor THelpProject.Create;
begin
  Pages := TStringList.Create;
  ContextIds := TStringList.Create;
end;

destructor THelpProject.Destroy;
begin
  Pages.Free;
  ContextIds.Free;
  inherited Destroy;
end;

procedure Fail(const Text: String);
begin
  WriteLn(StdErr, 'GenerateHelp: ', Text);
  Halt(1);
end;

procedure THelpProject.Load(const FileName: String);
var
  Lines: TStringList;
  Line, Key, Value: String;
  I, P: Integer;
begin
  SourceDir := IncludeTrailingPathDelimiter(ExtractFilePath(ExpandFileName(FileName)));
  Lines := TStringList.Create;
  try
    Lines.LoadFromFile(FileName);
    for I := 0 to Lines.Count - 1 do
    begin
      Line := Trim(Lines[I]);
      if (Line = '') or (Line[1] = '#') then
        Continue;
      P := Pos('=', Line);
      if P = 0 then
        Fail(Format('%s, line %d: "key=value" expected', [FileName, I + 1]));
      Key := Trim(Copy(Line, 1, P - 1));
      Value := Trim(Copy(Line, P + 1, Length(Line)));
      if Key = 'title' then Title := Value
      else if Key = 'default' then DefaultPage := Value
      else if Key = 'toc' then TocFile := Value
      else if Key = 'page' then Pages.Add(Value)
      else if Key = 'context' then
      begin
        P := Pos(' ', Value);
        if (P = 0) or (StrToIntDef(Copy(Value, 1, P - 1), -1) < 0) then
          Fail(Format('%s, line %d: "context=<number> <page>" expected', [FileName, I + 1]));
        ContextIds.Add(Copy(Value, 1, P - 1) + '=' + Trim(Copy(Value, P + 1, Length(Value))));
      end
      else
        Fail(Format('%s, line %d: unknown key "%s"', [FileName, I + 1, Key]));
    end;
  finally
    Lines.Free;
  end;
  if (Pages.Count = 0) or (TocFile = '') or (DefaultPage = '') then
    Fail(FileName + ': pages, toc and default are required');
  for I := 0 to Pages.Count - 1 do
    if not FileExists(SourceDir + Pages[I]) then
      Fail('missing page ' + SourceDir + Pages[I]);
end;

{ The writer takes the result as "stop here": False keeps it going through every page. }
function THelpProject.GetFileData(const DataName: String; out PathInChm: String;
  out FileName: String; var Stream: TStream): Boolean;
begin
  PathInChm := '/';
  FileName := DataName;
  TMemoryStream(Stream).LoadFromFile(SourceDir + DataName);
  Result := False;
end;

{ Viewers show the contents' titles as windows-1252 bytes and do not decode entities there, so
  the accented letters of the Spanish titles are turned into their windows-1252 bytes. }
function EntitiesToCp1252(const Text: String): String;
const
  Names: array[0..13] of String = ('&aacute;', '&eacute;', '&iacute;', '&oacute;', '&uacute;',
    '&ntilde;', '&Aacute;', '&Eacute;', '&Iacute;', '&Oacute;', '&Uacute;', '&Ntilde;',
    '&uuml;', '&amp;');
  Codes: array[0..13] of Byte = ($E1, $E9, $ED, $F3, $FA, $F1, $C1, $C9, $CD, $D3, $DA, $D1,
    $FC, $26);
var
  I: Integer;
begin
  Result := Text;
  for I := Low(Names) to High(Names) do
    Result := StringReplace(Result, Names[I], Chr(Codes[I]), [rfReplaceAll]);
end;

{ The table of contents goes in after the last page; written earlier it overlaps other data and
  viewers show no contents tree. }
procedure THelpProject.AppendToc(Sender: TObject);
var
  Toc: TStringStream;
  Source: TStringList;
begin
  Source := TStringList.Create;
  try
    Source.LoadFromFile(SourceDir + TocFile);
    Toc := TStringStream.Create(EntitiesToCp1252(Source.Text));
  finally
    Source.Free;
  end;
  try
    Toc.Position := 0;
    TChmWriter(Sender).AppendTOC(Toc);
  finally
    Toc.Free;
  end;
end;

var
  Project: THelpProject;
  Output: TFileStream;
  Writer: TChmWriter;
  I: Integer;
begin
  if ParamCount <> 2 then
    Fail('usage: GenerateHelp <project file> <output .chm>');
  Project := THelpProject.Create;
  try
    Project.Load(ParamStr(1));
    Output := TFileStream.Create(ParamStr(2), fmCreate);
    Writer := TChmWriter.Create(Output, True);
    try
      Writer.Title := Project.Title;
      Writer.DefaultPage := '/' + Project.DefaultPage;
      Writer.LocaleID := $0C0A;
      Writer.FilesToCompress.AddStrings(Project.Pages);
      Writer.OnGetFileData := @Project.GetFileData;
      Writer.OnLastFile := @Project.AppendToc;
      for I := 0 to Project.ContextIds.Count - 1 do
        Writer.AddContext(StrToInt(Project.ContextIds.Names[I]),
          Project.ContextIds.ValueFromIndex[I]);
      Writer.Execute;
    finally
      Writer.Free;
    end;
  finally
    Project.Free;
  end;
end.
